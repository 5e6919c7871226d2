// Windows: a shortcut to the program in the user's Startup folder. Unlike a
// Run key, a shortcut carries a working directory, which is the data folder.
#include "autostart.h"

#include "apperror.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

// Releases a COM interface when the scope ends.
template <typename T>
struct ComRef {
    T* p = nullptr;
    ~ComRef()
    {
        if (p)
            p->Release();
    }
};

// COM for this thread, when nobody (Qt's platform layer) has set it up yet.
struct ComScope {
    bool owned = false;
    ComScope() { owned = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    ~ComScope()
    {
        if (owned)
            CoUninitialize();
    }
};

void WriteShortcut(const QString& path, const QString& dataDir)
{
    ComScope com;
    ComRef<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.p))))
        RaiseWriteError(Autostart::EntryPath());
    const std::wstring program = QDir::toNativeSeparators(QCoreApplication::applicationFilePath()).toStdWString();
    const std::wstring folder = QDir::toNativeSeparators(dataDir).toStdWString();
    if (FAILED(link.p->SetPath(program.c_str())) || FAILED(link.p->SetWorkingDirectory(folder.c_str()))
        || FAILED(link.p->SetDescription(L"Murvane")))
        RaiseWriteError(Autostart::EntryPath());
    ComRef<IPersistFile> file;
    if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))))
        RaiseWriteError(Autostart::EntryPath());
    if (FAILED(file.p->Save(QDir::toNativeSeparators(path).toStdWString().c_str(), TRUE)))
        RaiseWriteError(Autostart::EntryPath());
}

} // namespace

QString Autostart::EntryPath()
{
    PWSTR folder = nullptr;
    QString path;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Startup, 0, nullptr, &folder)))
        path = QString::fromWCharArray(folder) + QStringLiteral("\\Murvane.lnk");
    CoTaskMemFree(folder);
    return path;
}

bool Autostart::IsEnabled()
{
    const QString path = EntryPath();
    return !path.isEmpty() && QFileInfo::exists(path);
}

void Autostart::SetEnabled(bool enabled, const QString& dataDir)
{
    const QString path = EntryPath();
    if (path.isEmpty())
        RaiseWriteError(Autostart::EntryPath());
    if (!enabled) {
        if (QFileInfo::exists(path) && !QFile::remove(path))
            RaiseWriteError(Autostart::EntryPath());
        return;
    }
    WriteShortcut(path, dataDir);
}
