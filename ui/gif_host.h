// LGIFHost: the smallest container for the system's web-browser control, which shows the banner
// page in a placeholder control. One reference count serves the host and its two sites; once the
// browser holds a site, it alone keeps the host alive.
#pragma once
#include <ole2.h>
#include <stddef.h>
#include <windows.h>

class LGIFHost;

class LGIFClientSite : public IOleClientSite {
public:
    // IUnknown: the host answers for its sites.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD dwAssign, DWORD dwWhichMoniker, IMoniker** ppmk) override;
    STDMETHODIMP GetContainer(IOleContainer** ppContainer) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL fShow) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    LGIFHost* pHost;
};

class LGIFInPlaceSite : public IOleInPlaceSite {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IOleWindow
    STDMETHODIMP GetWindow(HWND* phwnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) override;
    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc, LPRECT lprcPosRect,
                                  LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO lpFrameInfo) override;
    STDMETHODIMP Scroll(SIZE scrollExtant) override;
    STDMETHODIMP OnUIDeactivate(BOOL fUndoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT lprcPosRect) override;

    LGIFHost* pHost;
};

// The browser control's class: the system's web browser.
extern const CLSID kClsidWebBrowser;

class LGIFHost final : public IUnknown {
public:
    // Starts the browser in hwndSite on szURL (a file path; at most 259 characters are used) and
    // leaves the host to the browser: the caller keeps no reference. clsidBrowser is the class to
    // embed, the web browser unless a test names another.
    static void Create(HWND hwndSite, const char* szURL, REFCLSID clsidBrowser = kClsidWebBrowser);
    // A host with the one reference the caller holds; null when there is no memory.
    static LGIFHost* New(HWND hwndSite, const char* szURL, REFCLSID clsidBrowser = kClsidWebBrowser);

    STDMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    HWND hwndSite;
    LGIFClientSite clientSite;
    LGIFInPlaceSite inPlaceSite;
    ULONG nRefCount;

    // Hosts alive in this process, for the tests' eyes.
    static int nHostsAlive;

private:
    LGIFHost(HWND hwndSite, const char* szURL, REFCLSID clsidBrowser);
    ~LGIFHost();
};

// The URL as the browser receives it: wide characters, at most cchURL - 1 of them, always
// terminated (empty when the text cannot be converted).
void BannerUrlToWide(const char* szURL, WCHAR* wszURL, size_t cchURL);
