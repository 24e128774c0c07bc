#include "ui/gif_host.h"

#include <exdisp.h>
#include <stdlib.h>
#include <string.h>

#include <new>

#include "support/path_text.h"


// The identifiers are spelled out: the import library that defines them adds thousands of others.
const CLSID kClsidWebBrowser = {0x8856F961, 0x340A, 0x11D0, {0xA9, 0x6B, 0x00, 0xC0, 0x4F, 0xD7, 0x05, 0xA2}};

namespace {

const IID kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidOleObject = {0x00000112, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidOleInPlaceObject = {0x00000113, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidOleClientSite = {0x00000118, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidOleInPlaceSite = {0x00000119, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// The first web-browser interface, which has all the banner needs.
const IID kIidWebBrowser = {0xEAB22AC1, 0x30C1, 0x11CF, {0xA7, 0xEB, 0x00, 0x00, 0xC0, 0x5B, 0xAE, 0x0B}};

const DWORD kBrowserContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

bool SameId(REFIID a, REFIID b) { return memcmp(&a, &b, sizeof(IID)) == 0; }

}  // namespace

int LGIFHost::nHostsAlive = 0;

void BannerUrlToWide(const char* szURL, WCHAR* wszURL, size_t cchURL) {
    int nRoom = static_cast<int>(cchURL);
    wszURL[0] = 0;
    // A path too long for the buffer fails to convert; the part that fits is kept instead.
    if (MultiByteToWideChar(CP_ACP, 0, szURL, -1, wszURL, nRoom) == 0) {
        int nBytes = static_cast<int>(strnlen(szURL, cchURL - 1));
        int nChars = MultiByteToWideChar(CP_ACP, 0, szURL, nBytes, wszURL, nRoom - 1);
        wszURL[nChars > 0 ? nChars : 0] = 0;
    }
    wszURL[cchURL - 1] = 0;
}

void LGIFHost::Create(HWND hwndSite, const char* szURL, REFCLSID clsidBrowser) {
    LGIFHost* pHost = New(hwndSite, szURL, clsidBrowser);
    if (pHost != nullptr) pHost->Release();
}

// Plain memory and placement construction: the library's operator new would bring its exception
// machinery into a program that has no use for it.
LGIFHost* LGIFHost::New(HWND hwndSite, const char* szURL, REFCLSID clsidBrowser) {
    void* pMemory = malloc(sizeof(LGIFHost));
    return pMemory != nullptr ? new (pMemory) LGIFHost(hwndSite, szURL, clsidBrowser) : nullptr;
}

LGIFHost::LGIFHost(HWND hwndSite, const char* szURL, REFCLSID clsidBrowser) : hwndSite(hwndSite), nRefCount(1) {
    ++nHostsAlive;
    clientSite.pHost = this;
    inPlaceSite.pHost = this;
    OleInitialize(nullptr);

    IUnknown* pBrowser = nullptr;
    if (FAILED(CoCreateInstance(clsidBrowser, nullptr, kBrowserContext, kIidUnknown,
                                reinterpret_cast<void**>(&pBrowser))) ||
        pBrowser == nullptr) {
        return;  // no browser engine: the strip stays blank
    }
    IOleObject* pObject = nullptr;
    if (FAILED(pBrowser->QueryInterface(kIidOleObject, reinterpret_cast<void**>(&pObject))) || pObject == nullptr) {
        pBrowser->Release();
        return;
    }
    pObject->SetClientSite(&clientSite);

    RECT site;
    GetClientRect(hwndSite, &site);
    IOleInPlaceObject* pInPlace = nullptr;
    if (SUCCEEDED(pBrowser->QueryInterface(kIidOleInPlaceObject, reinterpret_cast<void**>(&pInPlace))) &&
        pInPlace != nullptr) {
        pInPlace->SetObjectRects(&site, &site);
        pInPlace->Release();
    }
    pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &clientSite, 0, hwndSite, &site);

    IWebBrowser* pWebBrowser = nullptr;
    if (SUCCEEDED(pBrowser->QueryInterface(kIidWebBrowser, reinterpret_cast<void**>(&pWebBrowser))) &&
        pWebBrowser != nullptr) {
        // The banner's URL is the path of its page.
        WCHAR wszURL[kPathBufferSize];
        BannerUrlToWide(szURL, wszURL, kPathBufferSize);
        BSTR bstrURL = SysAllocString(wszURL);
        pWebBrowser->Navigate(bstrURL, nullptr, nullptr, nullptr, nullptr);
        SysFreeString(bstrURL);
        pWebBrowser->Release();
    }
    pObject->Release();
    pBrowser->Release();
}

LGIFHost::~LGIFHost() {
    OleUninitialize();
    --nHostsAlive;
}

STDMETHODIMP LGIFHost::QueryInterface(REFIID riid, void** ppvObject) {
    if (ppvObject == nullptr) return E_INVALIDARG;
    IUnknown* pInterface = nullptr;
    if (SameId(riid, kIidUnknown))
        pInterface = this;
    else if (SameId(riid, kIidOleClientSite))
        pInterface = &clientSite;
    else if (SameId(riid, kIidOleInPlaceSite))
        pInterface = &inPlaceSite;
    *ppvObject = pInterface;
    if (pInterface == nullptr) return E_NOINTERFACE;
    pInterface->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) LGIFHost::AddRef() { return ++nRefCount; }

STDMETHODIMP_(ULONG) LGIFHost::Release() {
    ULONG nCount = --nRefCount;
    if (nCount == 0) {
        this->~LGIFHost();
        free(this);
    }
    return nCount;
}

// The sites have no count of their own: a reference to either keeps the whole host.
STDMETHODIMP LGIFClientSite::QueryInterface(REFIID riid, void** ppvObject) {
    return pHost->QueryInterface(riid, ppvObject);
}
STDMETHODIMP_(ULONG) LGIFClientSite::AddRef() { return pHost->AddRef(); }
STDMETHODIMP_(ULONG) LGIFClientSite::Release() { return pHost->Release(); }
STDMETHODIMP LGIFClientSite::SaveObject() { return S_OK; }
STDMETHODIMP LGIFClientSite::GetMoniker(DWORD, DWORD, IMoniker** ppmk) {
    if (ppmk != nullptr) *ppmk = nullptr;
    return S_OK;
}
STDMETHODIMP LGIFClientSite::GetContainer(IOleContainer** ppContainer) {
    if (ppContainer != nullptr) *ppContainer = nullptr;
    return E_NOTIMPL;
}
STDMETHODIMP LGIFClientSite::ShowObject() { return S_OK; }
STDMETHODIMP LGIFClientSite::OnShowWindow(BOOL) { return S_OK; }
STDMETHODIMP LGIFClientSite::RequestNewObjectLayout() { return S_OK; }

STDMETHODIMP LGIFInPlaceSite::QueryInterface(REFIID riid, void** ppvObject) {
    return pHost->QueryInterface(riid, ppvObject);
}
STDMETHODIMP_(ULONG) LGIFInPlaceSite::AddRef() { return pHost->AddRef(); }
STDMETHODIMP_(ULONG) LGIFInPlaceSite::Release() { return pHost->Release(); }
STDMETHODIMP LGIFInPlaceSite::GetWindow(HWND* phwnd) {
    if (phwnd == nullptr) return E_INVALIDARG;
    *phwnd = pHost->hwndSite;
    return S_OK;
}
STDMETHODIMP LGIFInPlaceSite::ContextSensitiveHelp(BOOL) { return S_OK; }
STDMETHODIMP LGIFInPlaceSite::CanInPlaceActivate() { return S_OK; }
STDMETHODIMP LGIFInPlaceSite::OnInPlaceActivate() { return S_OK; }
STDMETHODIMP LGIFInPlaceSite::OnUIActivate() { return S_OK; }
// No frame and no document window; the rectangles are the site's, so that a caller never reads
// what was left in its variables.
STDMETHODIMP LGIFInPlaceSite::GetWindowContext(IOleInPlaceFrame** ppFrame, IOleInPlaceUIWindow** ppDoc,
                                               LPRECT lprcPosRect, LPRECT lprcClipRect, LPOLEINPLACEFRAMEINFO) {
    if (ppFrame != nullptr) *ppFrame = nullptr;
    if (ppDoc != nullptr) *ppDoc = nullptr;
    RECT site = {0, 0, 0, 0};
    GetClientRect(pHost->hwndSite, &site);
    if (lprcPosRect != nullptr) *lprcPosRect = site;
    if (lprcClipRect != nullptr) *lprcClipRect = site;
    return S_OK;
}
STDMETHODIMP LGIFInPlaceSite::Scroll(SIZE) { return S_OK; }
STDMETHODIMP LGIFInPlaceSite::OnUIDeactivate(BOOL) { return S_OK; }
STDMETHODIMP LGIFInPlaceSite::OnInPlaceDeactivate() { return S_OK; }
STDMETHODIMP LGIFInPlaceSite::DiscardUndoState() { return S_OK; }
STDMETHODIMP LGIFInPlaceSite::DeactivateAndUndo() { return S_OK; }
// The browser keeps the placeholder's rectangle.
STDMETHODIMP LGIFInPlaceSite::OnPosRectChange(LPCRECT) { return S_OK; }
