// The main window's colour scheme changes, its status-bar parts with their live indicators
// (pending requests, download progress, socket state) and the certificate indicator.
#include "app/MainWindow.h"

#include <commctrl.h>
#include "app/App.h"
#include "app/CTWndConsole.h"
#include "app/ColourScheme.h"
#include "controls/CGDIManager.h"
#include "framework/CTApp.h"
#include "framework/CTREngine.h"
#include "framework/CTREngineDraw.h"
#include "session/CCertificateInfo.h"
#include "session/CWinHttp2Transport.h"
#include "session/DBEvents.h"

namespace {

// The server client's certificate record, copied under the transport's in-flight lock so that the
// copy never sees a record the worker is writing.
void CopyCertificate(App* app, CCertificateInfo& out)
{
    out.Clear();
    if (!app)
        return;
    auto* transport = dynamic_cast<CWinHttp2Transport*>(app->m_db.m_transport.get());
    if (!transport)
        return;
    CLinkedListMTLock lock(transport->m_http.m_inFlight);
    out.CopyFrom(transport->m_http.m_certificate);
}

} // namespace

COLORREF MainWindow::GetTextColour() const
{
    CTREngine* engine = CTREngine::Instance();
    return engine->m_colorsSet ? engine->m_textColour : engine->SysColor(COLOR_MENUTEXT);
}

void MainWindow::SetUpStatusbar()
{
    m_statusbar.SetColors(GetTextColour(), CTREngine::Instance()->GetHighlightColor());
    m_statusbar.AddPane(kPartStatus, CTWndStatusbar::NoBorders | CTWndStatusbar::Stretch, CTString());
    m_statusbar.AddPane(kPartDownload, CTWndStatusbar::NoBorders, CTString());
    m_statusbar.AddPane(kPartPending, CTWndStatusbar::NoBorders | CTWndStatusbar::Markup, CTString());
    m_statusbar.AddPane(kPartCertificate,
                        CTWndStatusbar::NoBorders | CTWndStatusbar::ToolTip | CTWndStatusbar::ToolTipFromParent,
                        CTString());
    m_statusbar.AddPane(kPartServer, CTWndStatusbar::NoBorders, CTString());
    m_statusbar.SetThirdPaneWidth(0);
}

void MainWindow::ShowServerStatus()
{
    CTString text(m_app ? m_app->m_server : CTString());
    text.AppendChar(L' ');
    text.AppendChar(m_socketStatus != 0 ? L'\x25CF' : L'\x25CC');
    SetPaneText(kPartServer, text);
}

void MainWindow::ApplySchemeChange()
{
    CGDIManager* gdi = CGDIManager::Instance();
    CTREngine::Instance()->SetColors(ColourScheme::Get(*gdi, ColourScheme::TitleBar),
                                     ColourScheme::Get(*gdi, ColourScheme::TitleBarText));
    if (m_statusbar.m_hWnd)
        m_statusbar.SetColors(GetTextColour(), CTREngine::Instance()->GetHighlightColor());
    RecolourIcons();
    for (CTWnd2* wnd : std::initializer_list<CTWnd2*>{&m_search, &m_navToolbar, &m_rightToolbar, &m_statusbar, &m_rebar})
        if (wnd->m_hWnd)
            wnd->Invalidate(true);
    if (m_hWnd)
        Invalidate(true);
}

// ---------------------------------------------------------------------------------------------
// Indicators

void MainWindow::on_request_count(TxRx& event)
{
    __int64 count = 0;
    event.GetInt64(::DBEvent::KeyRequestCount, count);
    bool connected = m_app && m_app->m_connected;
    if (count != 0 && connected) {
        CTString markup;
        ColourScheme::BuildPendingMarkup(static_cast<unsigned>(count), GetTextColour(),
                                         CTREngine::Instance()->GetHighlightColor(), markup);
        SetPaneText(kPartPending, markup);
        if (m_statusbar.m_hWnd)
            m_statusbar.SetThirdPaneWidth(CTREngine::Instance()->m_dpi.Scale(32));
        if (m_cache.loaded != 0 && m_idle) {
            SetButtonEnabled(m_navToolbar, kCmdRefresh, false);
            m_idle = false;
            RequestResult busy;
            busy.route.requestId = kReqBusy;
            busy.returnCode = 1;
            m_app->m_windows.NotifyWindows(0, 0, &busy);
        }
        return;
    }
    SetPaneText(kPartPending, CTString());
    if (m_statusbar.m_hWnd)
        m_statusbar.SetThirdPaneWidth(0);
    if (m_cache.loaded != 0 && !m_idle) {
        SetButtonEnabled(m_navToolbar, kCmdRefresh, true);
        m_idle = true;
        RequestResult idle;
        idle.route.requestId = kReqBusy;
        idle.returnCode = 0;
        if (m_app)
            m_app->m_windows.NotifyWindows(0, 0, &idle);
    }
}

void MainWindow::on_download(TxRx& event)
{
    unsigned bytes = event.GetValue(::DBEvent::KeyDownload).AsInt();
    CTApp* ctApp = CTApp::Instance();
    if (bytes != 0) {
        if (!m_busy) {
            m_busy = true;
            ctApp->AddWaitCursor(1);
        }
        CAttribute size(CAttribute::ByteSize, static_cast<__int64>(bytes));
        SetPaneText(kPartDownload, size.GetString());
    } else if (m_busy) {
        m_busy = false;
        ctApp->AddWaitCursor(-1);
        SetPaneText(kPartDownload, CTString());
    }
}

void MainWindow::on_ws_status(TxRx& event)
{
    m_socketStatus = static_cast<int>(event.GetValue(::DBEvent::KeySocketStatus).AsInt());
    ShowServerStatus();
}

// ---------------------------------------------------------------------------------------------
// Icons and the certificate

void MainWindow::RecolourIcons()
{
    COLORREF text = GetTextColour();
    int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    auto replace = [&](CTWndToolbar& toolbar, int image, HICON rendered) {
        CTIcon icon(rendered);
        if (!icon.IsValid() || image < 0 || !toolbar.m_hWnd)
            return;
        icon.Colorize(text);
        toolbar.ReplaceIcon(image, icon.icon);
    };
    if (m_rightToolbar.m_hWnd) {
        replace(m_rightToolbar, m_rightToolbar.GetButtonImage(kCmdTools), LoadEmfIcon(232, cx, cy));
        replace(m_rightToolbar, m_filterOffImage, LoadEmfIcon(246, cx, cy));
        replace(m_rightToolbar, m_filterOnImage, LoadEmfIcon(245, cx, cy));
        replace(m_rightToolbar, m_rightToolbar.GetButtonImage(kCmdNotifications), LoadEmfIcon(256, cx, cy));
    }
    if (m_navToolbar.m_hWnd) {
        const int buttons[][2] = {{kCmdBack, 134}, {kCmdHome, 105}, {kCmdForward, 228}, {kCmdTasks, 201},
                                  {kCmdDeployments, 216}, {kCmdNotices, 221}, {kCmdRefresh, 133}};
        for (const auto& button : buttons) {
            CTIcon icon;
            icon.Load(static_cast<UINT>(button[1]), cx, cy);
            replace(m_navToolbar, m_navToolbar.GetButtonImage(button[0]), icon.icon);
            icon.Detach();
        }
    }
    PrepareCertificateIcon();
    UpdateCertificateIndicator();
}

void MainWindow::PrepareCertificateIcon()
{
    ScreenDpi& dpi = CTREngine::Instance()->m_dpi;
    int cx = GetSystemMetrics(SM_CXICON) - dpi.Scale(12);
    int cy = GetSystemMetrics(SM_CYICON) - dpi.ScaleY(12);
    m_certificateIcon.Free();
    m_certificateIcon.Attach(LoadEmfIcon(244, cx, cy), cx);
    if (m_certificateIcon.IsValid()) {
        m_certificateIcon.width = cx;
        m_certificateIcon.height = cy;
        m_certificateIcon.Colorize(GetTextColour());
    }
}

void MainWindow::UpdateCertificateIndicator()
{
    if (!m_statusbar.m_hWnd)
        return;
    CCertificateInfo certificate;
    CopyCertificate(m_app, certificate);
    CAttribute expires;
    certificate.GetAttribute(expires, CTString(L"EXPIRES"));
    bool show = m_app && m_app->m_connected && !expires.GetString().IsEmpty();
    const CTIcon& icon = show ? m_certificateIcon : m_noIcon;
    m_statusbar.SetFourthPaneIcon(CTWndStatusbar::IconRecord{icon.width, icon.icon});
}

const wchar_t* MainWindow::GetCertificateTip()
{
    CCertificateInfo certificate;
    CopyCertificate(m_app, certificate);
    CAttribute starts, expires;
    certificate.GetAttribute(starts, CTString(L"STARTS"));
    certificate.GetAttribute(expires, CTString(L"EXPIRES"));
    CTString subject = certificate.GetText(CTString(L"SUBJECT"));
    CTString issuer = certificate.GetText(CTString(L"ISSUER"));
    CTString format;
    if (!format.LoadString(186))
        format.AssignText(L"Certificate Information\r\nIssued to: %s\r\nIssued by: %s\r\nValid from %s to %s");
    m_certificateTip.Format(format.GetBuffer(), subject.GetBuffer() ? subject.GetBuffer() : L"",
                            issuer.GetBuffer() ? issuer.GetBuffer() : L"", starts.GetText(), expires.GetText());
    return m_certificateTip.GetBuffer() ? m_certificateTip.GetBuffer() : L"";
}
