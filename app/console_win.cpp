// Windows: a GUI program's standard handles are those its parent passed
// down (a pipe or a file when redirected) or none; in a console window it
// has to attach to that console itself.
#include "console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

bool HasHandle(DWORD which)
{
    const HANDLE h = GetStdHandle(which);
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN;
}

} // namespace

void Console::AttachToParent()
{
    const bool out = HasHandle(STD_OUTPUT_HANDLE);
    const bool err = HasHandle(STD_ERROR_HANDLE);
    if ((!out || !err) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (!out)
            std::freopen("CONOUT$", "w", stdout);
        if (!err)
            std::freopen("CONOUT$", "w", stderr);
    }
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

bool Console::Write(std::FILE* stream, const QString& text)
{
    const HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode)) {
        std::fflush(stream);
        DWORD written = 0;
        return WriteConsoleW(h, text.utf16(), DWORD(text.size()), &written, nullptr) && written == DWORD(text.size());
    }
    const QByteArray bytes = text.toUtf8();
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream) == size_t(bytes.size())
           && std::fflush(stream) == 0;
}
