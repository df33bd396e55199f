#include "foundation/WinHttpErrorText.h"

namespace {

struct Entry {
    DWORD code;
    const wchar_t* text;
};

const Entry kTexts[] = {
    {12001, L"No more handles could be generated at this time."},
    {12002, L"The operation timed out."},
    {12004, L"An internal error occurred in the HTTP client."},
    {12005, L"The URL is invalid."},
    {12006, L"The URL does not use a recognized protocol."},
    {12007, L"The server name or address could not be resolved."},
    {12009, L"The option value requested is invalid."},
    {12011, L"The option cannot be set, only queried."},
    {12012, L"The HTTP client has been shut down."},
    {12015, L"The login attempt failed."},
    {12017, L"The operation was canceled."},
    {12018, L"The type of handle supplied is incorrect for this operation."},
    {12019, L"The handle is in the wrong state for the requested operation."},
    {12029, L"A connection with the server could not be established."},
    {12030, L"The connection with the server was terminated abnormally."},
    {12032, L"The request must be sent again."},
    {12037, L"The server's security certificate has expired or is not yet valid."},
    {12038, L"The host name in the server's security certificate does not match the server."},
    {12044, L"The server requires a client certificate."},
    {12045, L"The server's security certificate was issued by an authority that is not trusted."},
    {12057, L"The revocation of the server's security certificate could not be checked."},
    {12100, L"The operation cannot be carried out before the request is opened."},
    {12101, L"The operation cannot be carried out before the request is sent."},
    {12102, L"The operation cannot be carried out after the request has been sent."},
    {12103, L"The operation cannot be carried out after the request has been opened."},
    {12150, L"The requested header could not be found."},
    {12152, L"The server returned an invalid or unrecognized response."},
    {12153, L"The supplied header is invalid."},
    {12154, L"The request for a header is invalid."},
    {12155, L"The header already exists."},
    {12156, L"The redirection failed."},
    {12157, L"An error occurred in the secure channel support."},
    {12166, L"An error occurred in the proxy configuration script."},
    {12167, L"The proxy configuration script could not be downloaded."},
    {12169, L"The server's security certificate is invalid."},
    {12170, L"The server's security certificate has been revoked."},
    {12172, L"The HTTP client has not been initialized."},
    {12175, L"A security error occurred while connecting to the server."},
    {12176, L"The proxy configuration script is of an unknown type."},
    {12177, L"The proxy configuration script could not be run."},
    {12178, L"The automatic proxy service failed."},
    {12179, L"The server's security certificate is not valid for this use."},
    {12180, L"Automatic proxy detection failed."},
    {12181, L"The server's reply has too many headers."},
    {12182, L"The server's reply headers are too large."},
    {12183, L"A chunk header of the server's reply is too large."},
    {12184, L"The server's reply is larger than the client accepts."},
    {12185, L"The client certificate has no private key."},
    {12186, L"The private key of the client certificate cannot be used."},
    {12187, L"The proxy requires a client certificate."},
    {12188, L"A security error occurred while connecting to the proxy."},
    {12190, L"The server does not speak the HTTP protocol version asked for."},
};

} // namespace

const wchar_t* WinHttpErrorText(DWORD code)
{
    for (const Entry& entry : kTexts)
        if (entry.code == code)
            return entry.text;
    return nullptr;
}
