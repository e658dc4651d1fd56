// HTTP GET of the Windows launcher through WinHTTP: one session for the
// life of the process, fresh connection and request handles per GET.
#include <windows.h>
#include <winhttp.h>

#include "launcher/http.h"

namespace {

HINTERNET session;
char chunk[65536];

bool open_session() {
    if (session) return true;
    // Automatic proxy first (4), then the default setting (0).
    const DWORD kinds[] = {4, 0};
    for (DWORD kind : kinds) {
        session = WinHttpOpen(L"Tervanne-lanceur/1.0", kind, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
        if (session) break;
    }
    if (!session) return false;
    WinHttpSetTimeouts(session, 10000, 10000, 20000, 30000);
    // The default already, said out loud: https never continues in the clear.
    DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_DISALLOW_HTTPS_TO_HTTP;
    WinHttpSetOption(session, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy);
    return true;
}

bool to_wide(const char* s, wchar_t* out, int cap) {
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s, -1, out, cap) > 0;
}

}  // namespace

bool http_get(const char* relative, HttpSink* sink) {
    char url[2048];
    UrlParts parts;
    if (!http_full_url(relative, url, sizeof url) || !url_split(url, &parts)) return false;
    wchar_t host[200], path[600];
    if (!to_wide(parts.host, host, 200) || !to_wide(parts.path, path, 600)) return false;
    if (!open_session()) return false;

    bool ok = false;
    HINTERNET connection = WinHttpConnect(session, host, (INTERNET_PORT)parts.port, 0);
    HINTERNET request = nullptr;
    if (connection)
        request = WinHttpOpenRequest(connection, L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                     WINHTTP_DEFAULT_ACCEPT_TYPES,
                                     WINHTTP_FLAG_REFRESH | (parts.secure ? WINHTTP_FLAG_SECURE : 0));
    if (request && WinHttpSendRequest(request, L"Cache-Control: no-cache\r\nPragma: no-cache\r\n", (DWORD)-1L,
                                      WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
        WinHttpReceiveResponse(request, nullptr)) {
        DWORD code = 0, size = sizeof code;
        if (WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                                WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX) &&
            code == 200) {
            for (;;) {
                DWORD got = 0;
                if (!WinHttpReadData(request, chunk, sizeof chunk, &got)) break;
                if (got == 0) {
                    ok = true;
                    break;
                }
                if (!http_sink_accept(sink, chunk, got)) break;
            }
        }
    }
    if (request) WinHttpCloseHandle(request);
    if (connection) WinHttpCloseHandle(connection);
    return ok;
}
