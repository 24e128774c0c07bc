// The splash window, the banner host and a text control's fit to whole lines, in this process. The
// banner host is given a browser of the test's own, registered as a COM class here, so that every
// call the host makes can be seen.
#include <windows.h>
#include <exdisp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/dialog.h"
#include "ui/gif_host.h"
#include "ui/splash_screen.h"
#include "ui/whole_lines.h"
#include "tests/wine/import_redirect.h"

namespace {

const CLSID kClsidFakeBrowser = {0x5A1E7C3D, 0x1B2A, 0x4C5D, {0x9E, 0x8F, 0x70, 0x61, 0x52, 0x43, 0x34, 0x25}};
const CLSID kClsidNoSuchBrowser = {0x5A1E7C3D, 0x1B2A, 0x4C5D, {0x9E, 0x8F, 0x70, 0x61, 0x52, 0x43, 0x34, 0x26}};

// What the browser was told.
struct BrowserRecord {
    IOleClientSite* pSite = nullptr;  // held, as a real browser holds it
    RECT objectRect = {-1, -1, -1, -1};
    LONG nVerb = 0;
    HWND hwndVerbParent = nullptr;
    std::wstring url;
    bool bNavigated = false;
    int nObjectsAlive = 0;
} browser;

// A browser with the three interfaces the host uses; everything else is not implemented.
class FakeBrowser : public IOleObject, public IOleInPlaceObject, public IWebBrowser {
public:
    FakeBrowser() { ++browser.nObjectsAlive; }
    virtual ~FakeBrowser() { --browser.nObjectsAlive; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleObject))
            *ppv = static_cast<IOleObject*>(this);
        else if (IsEqualIID(riid, IID_IOleInPlaceObject))
            *ppv = static_cast<IOleInPlaceObject*>(this);
        else if (IsEqualIID(riid, IID_IWebBrowser))
            *ppv = static_cast<IWebBrowser*>(this);
        else
            return *ppv = nullptr, E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++nRefs; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG n = --nRefs;
        if (n == 0) delete this;
        return n;
    }

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* pSite) override {
        if (pSite != nullptr) pSite->AddRef();
        if (browser.pSite != nullptr) browser.pSite->Release();
        browser.pSite = pSite;
        return S_OK;
    }
    STDMETHODIMP GetClientSite(IOleClientSite**) override { return E_NOTIMPL; }
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP Close(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHODIMP InitFromData(IDataObject*, WINBOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHODIMP DoVerb(LONG iVerb, LPMSG, IOleClientSite*, LONG, HWND hwndParent, LPCRECT) override {
        browser.nVerb = iVerb;
        browser.hwndVerbParent = hwndParent;
        return S_OK;
    }
    STDMETHODIMP EnumVerbs(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHODIMP Update() override { return E_NOTIMPL; }
    STDMETHODIMP IsUpToDate() override { return E_NOTIMPL; }
    STDMETHODIMP GetUserClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP GetExtent(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMiscStatus(DWORD, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
    STDMETHODIMP ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override { return E_NOTIMPL; }
    STDMETHODIMP UIDeactivate() override { return E_NOTIMPL; }
    STDMETHODIMP SetObjectRects(LPCRECT lprcPosRect, LPCRECT) override {
        browser.objectRect = *lprcPosRect;
        return S_OK;
    }
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

    // IDispatch and IWebBrowser: only Navigate does anything.
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP GoBack() override { return E_NOTIMPL; }
    STDMETHODIMP GoForward() override { return E_NOTIMPL; }
    STDMETHODIMP GoHome() override { return E_NOTIMPL; }
    STDMETHODIMP GoSearch() override { return E_NOTIMPL; }
    STDMETHODIMP Navigate(BSTR URL, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override {
        browser.bNavigated = true;
        browser.url = URL != nullptr ? URL : L"(null)";
        return S_OK;
    }
    STDMETHODIMP Refresh() override { return E_NOTIMPL; }
    STDMETHODIMP Refresh2(VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP Stop() override { return E_NOTIMPL; }
    STDMETHODIMP get_Application(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Parent(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Container(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Document(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_TopLevelContainer(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Type(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Left(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Left(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Top(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Top(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Width(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Width(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Height(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Height(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_LocationName(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_LocationURL(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Busy(VARIANT_BOOL*) override { return E_NOTIMPL; }

private:
    ULONG nRefs = 1;
};

class FakeBrowserFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* pOuter, REFIID riid, void** ppv) override {
        if (pOuter != nullptr) return CLASS_E_NOAGGREGATION;
        FakeBrowser* pBrowser = new FakeBrowser;
        HRESULT hr = pBrowser->QueryInterface(riid, ppv);
        pBrowser->Release();
        return hr;
    }
    STDMETHODIMP LockServer(WINBOOL) override { return S_OK; }
} factory;

class BannerHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        OleInitialize(nullptr);
        ASSERT_EQ(S_OK, CoRegisterClassObject(kClsidFakeBrowser, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                              &dwRegistration));
        hwndSite = CreateWindowExA(0, "EDIT", "", WS_POPUP, 10, 10, 397, 41, nullptr, nullptr, nullptr, nullptr);
        browser = BrowserRecord();
        nHostsBefore = LGIFHost::nHostsAlive;
    }
    void TearDown() override {
        if (browser.pSite != nullptr) browser.pSite->Release();
        browser.pSite = nullptr;
        CoRevokeClassObject(dwRegistration);
        DestroyWindow(hwndSite);
        OleUninitialize();
    }
    DWORD dwRegistration = 0;
    HWND hwndSite = nullptr;
    int nHostsBefore = 0;
};

ULONG CountOf(IUnknown* pUnknown) {
    pUnknown->AddRef();
    return pUnknown->Release();
}

}  // namespace

TEST_F(BannerHostTest, TheBrowserGetsTheSitesThePlaceholderAndThePage) {
    LGIFHost::Create(hwndSite, "C:\\Program Files\\Kestrilon\\TallyQuill\\banner.htm", kClsidFakeBrowser);
    EXPECT_EQ(0, browser.nObjectsAlive) << "the host let go of the browser";
    ASSERT_NE(nullptr, browser.pSite) << "the browser was given the client site";
    EXPECT_EQ(nHostsBefore + 1, LGIFHost::nHostsAlive) << "the browser's reference keeps the host";
    RECT client;
    GetClientRect(hwndSite, &client);
    EXPECT_TRUE(EqualRect(&client, &browser.objectRect));
    EXPECT_EQ(OLEIVERB_INPLACEACTIVATE, browser.nVerb);
    EXPECT_EQ(hwndSite, browser.hwndVerbParent);
    EXPECT_TRUE(browser.bNavigated);
    EXPECT_EQ(L"C:\\Program Files\\Kestrilon\\TallyQuill\\banner.htm", browser.url);

    // The site the browser holds answers for the in-place site, whose window is the placeholder.
    IOleInPlaceSite* pInPlace = nullptr;
    ASSERT_EQ(S_OK, browser.pSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&pInPlace)));
    HWND hwnd = nullptr;
    EXPECT_EQ(S_OK, pInPlace->GetWindow(&hwnd));
    EXPECT_EQ(hwndSite, hwnd);
    IOleInPlaceFrame* pFrame = reinterpret_cast<IOleInPlaceFrame*>(1);
    IOleInPlaceUIWindow* pDoc = reinterpret_cast<IOleInPlaceUIWindow*>(1);
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO frameInfo = {};
    EXPECT_EQ(S_OK, pInPlace->GetWindowContext(&pFrame, &pDoc, &position, &clip, &frameInfo));
    EXPECT_EQ(nullptr, pFrame);
    EXPECT_EQ(nullptr, pDoc);
    EXPECT_TRUE(EqualRect(&client, &position));
    pInPlace->Release();

    // When the browser lets go of its last reference, the host goes.
    browser.pSite->Release();
    browser.pSite = nullptr;
    EXPECT_EQ(nHostsBefore, LGIFHost::nHostsAlive);
}

TEST_F(BannerHostTest, ABrowserThatCannotBeMadeLeavesNoHost) {
    LGIFHost::Create(hwndSite, "banner.htm", kClsidNoSuchBrowser);
    EXPECT_EQ(nHostsBefore, LGIFHost::nHostsAlive) << "destroyed by the time Create returns";
    EXPECT_EQ(nullptr, browser.pSite);
}

TEST_F(BannerHostTest, OneCountServesTheHostAndBothSites) {
    LGIFHost* pHost = LGIFHost::New(hwndSite, "banner.htm", kClsidNoSuchBrowser);
    ASSERT_NE(nullptr, pHost);
    EXPECT_EQ(1u, CountOf(pHost));

    EXPECT_EQ(E_INVALIDARG, pHost->QueryInterface(IID_IUnknown, nullptr));
    EXPECT_EQ(1u, CountOf(pHost)) << "no count taken";
    void* pInterface = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, pHost->QueryInterface(IID_IOleWindow, &pInterface));
    EXPECT_EQ(nullptr, pInterface);
    EXPECT_EQ(E_NOINTERFACE, pHost->clientSite.QueryInterface(IID_IOleObject, &pInterface));
    EXPECT_EQ(1u, CountOf(pHost));

    ASSERT_EQ(S_OK, pHost->clientSite.QueryInterface(IID_IOleInPlaceSite, &pInterface));
    EXPECT_EQ(static_cast<IOleInPlaceSite*>(&pHost->inPlaceSite), pInterface);
    EXPECT_EQ(2u, CountOf(pHost));
    ASSERT_EQ(S_OK, pHost->inPlaceSite.QueryInterface(IID_IUnknown, &pInterface));
    EXPECT_EQ(static_cast<IUnknown*>(pHost), pInterface);
    ASSERT_EQ(S_OK, pHost->QueryInterface(IID_IOleClientSite, &pInterface));
    EXPECT_EQ(static_cast<IOleClientSite*>(&pHost->clientSite), pInterface);
    EXPECT_EQ(4u, CountOf(pHost));

    IOleContainer* pContainer = reinterpret_cast<IOleContainer*>(1);
    EXPECT_EQ(E_NOTIMPL, pHost->clientSite.GetContainer(&pContainer));
    EXPECT_EQ(nullptr, pContainer);
    IMoniker* pMoniker = reinterpret_cast<IMoniker*>(1);
    EXPECT_EQ(S_OK, pHost->clientSite.GetMoniker(0, 0, &pMoniker));
    EXPECT_EQ(nullptr, pMoniker);
    EXPECT_EQ(S_OK, pHost->inPlaceSite.CanInPlaceActivate());

    // Releases through any of the three end the one host, on the last one.
    EXPECT_EQ(3u, pHost->Release());
    EXPECT_EQ(2u, pHost->clientSite.Release());
    EXPECT_EQ(1u, pHost->clientSite.Release());
    EXPECT_EQ(nHostsBefore + 1, LGIFHost::nHostsAlive);
    EXPECT_EQ(0u, pHost->inPlaceSite.Release());
    EXPECT_EQ(nHostsBefore, LGIFHost::nHostsAlive);
}

TEST_F(BannerHostTest, ALongPathIsCutTo259Characters) {
    std::string longPath = "C:\\" + std::string(300, 'p') + "\\banner.htm";
    LGIFHost::Create(hwndSite, longPath.c_str(), kClsidFakeBrowser);
    ASSERT_TRUE(browser.bNavigated);
    EXPECT_EQ(259u, browser.url.size());
    EXPECT_EQ(std::wstring(L"C:\\") + std::wstring(256, L'p'), browser.url);

    WCHAR wszURL[260];
    BannerUrlToWide(std::string(259, 'a').c_str(), wszURL, 260);
    EXPECT_EQ(std::wstring(259, L'a'), wszURL) << "259 characters pass whole";
    BannerUrlToWide("", wszURL, 260);
    EXPECT_EQ(std::wstring(), wszURL);
}

namespace {

BOOL CALLBACK CollectSplash(HWND hwnd, LPARAM lParam) {
    char szClass[64] = "";
    GetClassNameA(hwnd, szClass, sizeof(szClass));
    if (strcmp(szClass, "LSplashScreen") == 0) reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> SplashWindows() {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectSplash, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// Timer messages that reach each window, as the message loop takes them.
std::vector<HWND> timerWindows;
LRESULT CALLBACK WatchTimers(int nCode, WPARAM wParam, LPARAM lParam) {
    const MSG* pMsg = reinterpret_cast<const MSG*>(lParam);
    if (nCode == HC_ACTION && pMsg->message == WM_TIMER) timerWindows.push_back(pMsg->hwnd);
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

// Handles this thread's messages until the condition holds, for at most a minute.
template <typename Condition>
bool PumpUntil(Condition condition) {
    DWORD dwStart = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - dwStart > 60000) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (!condition()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

// The periods the splash code asks SetTimer for, by window. While bShortenTimers is set, the
// system's timer runs a tenth of a second instead: what the test checks is the period asked for and
// what the timer's message does, not the clock.
typedef UINT_PTR(WINAPI* SetTimerFn)(HWND, UINT_PTR, UINT, TIMERPROC);
SetTimerFn pfnSystemSetTimer;
std::vector<std::pair<HWND, UINT>> timerPeriods;
bool bShortenTimers = false;
const UINT kShortenedTimerMs = 100;
UINT_PTR WINAPI RecordSetTimer(HWND hwnd, UINT_PTR nId, UINT nElapseMs, TIMERPROC pfnTimer) {
    timerPeriods.push_back({hwnd, nElapseMs});
    return pfnSystemSetTimer(hwnd, nId, bShortenTimers ? kShortenedTimerMs : nElapseMs, pfnTimer);
}

}  // namespace

TEST(SplashScreen, ACentredWindowThePictureAndItsBandHigh) {
    hProgramInstance = GetModuleHandleA(nullptr);
    LSplashScreen splash;
    splash.Show(nullptr, 1);
    ASSERT_NE(nullptr, splash.Window());
    ASSERT_NE(nullptr, splash.Picture());
    RECT window, screen;
    GetWindowRect(splash.Window(), &window);
    GetWindowRect(GetDesktopWindow(), &screen);
    EXPECT_EQ(344, window.right - window.left);
    EXPECT_EQ(286, window.bottom - window.top);
    EXPECT_EQ((screen.right - 344) >> 1, window.left);
    EXPECT_EQ((screen.bottom - 286) >> 1, window.top);
    EXPECT_TRUE(IsWindowVisible(splash.Window()));

    // A second Show replaces the window and frees the first bitmap.
    HWND hwndFirst = splash.Window();
    HBITMAP hFirstBitmap = splash.Picture();
    splash.Show(nullptr, 1);
    EXPECT_FALSE(IsWindow(hwndFirst));
    EXPECT_EQ(0u, GetObjectType(hFirstBitmap)) << "the first bitmap was deleted";
    EXPECT_EQ(1u, SplashWindows().size());
    HBITMAP hSecondBitmap = splash.Picture();
    splash.Close();
    EXPECT_EQ(nullptr, splash.Window());
    EXPECT_EQ(nullptr, splash.Picture());
    EXPECT_EQ(0u, GetObjectType(hSecondBitmap));

    // No picture, no splash.
    splash.Show(nullptr, 77);
    EXPECT_EQ(nullptr, splash.Window());
    EXPECT_TRUE(SplashWindows().empty());
}

TEST(SplashScreen, AClickClosesItAtOnceAndOtherwiseItGoesAtItsSevenSecondTimer) {
    hProgramInstance = GetModuleHandleA(nullptr);
    if (pfnSystemSetTimer == nullptr)
        pfnSystemSetTimer = reinterpret_cast<SetTimerFn>(
            RedirectImport("user32.dll", "SetTimer", reinterpret_cast<void*>(RecordSetTimer)));
    ASSERT_NE(nullptr, pfnSystemSetTimer) << "this program does not import SetTimer";
    LSplashScreen clicked, waited;
    timerWindows.clear();
    timerPeriods.clear();
    HHOOK hHook = SetWindowsHookExA(WH_GETMESSAGE, WatchTimers, nullptr, GetCurrentThreadId());
    bShortenTimers = true;
    waited.Show(nullptr, 1);
    clicked.Show(nullptr, 1);
    HWND hwndClicked = clicked.Window(), hwndWaited = waited.Window();
    ASSERT_NE(nullptr, hwndClicked);
    PostMessageA(hwndClicked, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwndClicked); })) << "closed at the click";
    EXPECT_EQ(nullptr, clicked.Picture());

    // The other one closes when its timer's message comes, and not before.
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(hwndWaited); })) << "the timer closes it";
    bShortenTimers = false;
    UnhookWindowsHookEx(hHook);
    std::vector<std::pair<HWND, UINT>> expectedPeriods = {{hwndWaited, 7000}, {hwndClicked, 7000}};
    EXPECT_EQ(expectedPeriods, timerPeriods) << "one seven-second timer for each splash";
    EXPECT_EQ(nullptr, waited.Window());
    for (HWND hwnd : timerWindows) EXPECT_NE(hwndClicked, hwnd) << "a timer fired for the clicked splash";
    EXPECT_EQ(1, std::count(timerWindows.begin(), timerWindows.end(), hwndWaited))
        << "the waited splash closed at its timer's first message";
}

// Asked for more lines than its room holds, a text control takes as many whole lines as fit above
// the control below it and the frame of the group box around it; a control beside it is no limit.
TEST(WholeLines, AsManyAsFitAboveTheControlBelowAndTheFrameAround) {
    HINSTANCE hInstance = GetModuleHandleA(nullptr);
    HWND hwndParent = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, hInstance, nullptr);
    CreateWindowA("BUTTON", "Group", WS_CHILD | BS_GROUPBOX, 10, 10, 300, 200, hwndParent, nullptr, hInstance, nullptr);
    CreateWindowA("BUTTON", "Beside", WS_CHILD, 320, 40, 60, 20, hwndParent, nullptr, hInstance, nullptr);
    const int kTop = 30;
    HWND hwndText =
        CreateWindowA("STATIC", "", WS_CHILD | SS_LEFT, 20, kTop, 280, 5, hwndParent, nullptr, hInstance, nullptr);
    SendMessageA(hwndText, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    auto BottomOf = [&](int nLines) {
        FitToWholeLines(hwndText, nLines);
        RECT rect;
        GetWindowRect(hwndText, &rect);
        MapWindowPoints(HWND_DESKTOP, hwndParent, reinterpret_cast<POINT*>(&rect), 2);
        return static_cast<int>(rect.bottom);
    };
    int nLine = BottomOf(1) - kTop;
    ASSERT_GT(nLine, 0) << "the height of one line";
    EXPECT_EQ(kTop + 3 * nLine, BottomOf(3)) << "three lines of " << nLine << " px where they fit";
    // The group box's etched frame is the last two pixels of its rectangle.
    const int kFrameTop = 10 + 200 - 2;
    EXPECT_EQ(kTop + (kFrameTop - kTop) / nLine * nLine, BottomOf(100))
        << "the lines of " << nLine << " px that fit above the frame at " << kFrameTop;
    const int kBelowTop = 100;
    CreateWindowA("BUTTON", "Below", WS_CHILD, 250, kBelowTop, 60, 20, hwndParent, nullptr, hInstance, nullptr);
    EXPECT_EQ(kTop + (kBelowTop - kTop) / nLine * nLine, BottomOf(100))
        << "the lines of " << nLine << " px that fit above the control at " << kBelowTop;
    DestroyWindow(hwndParent);
}
