#include "conflictwatch.h"

#include "conflictcopy.h"
#include "datapath.h"
#include "messagebox.h"

#include <QDir>
#include <QTimer>

ConflictWatch::ConflictWatch(QString dataDir)
    : m_dataDir(std::move(dataDir))
{
}

void ConflictWatch::Scan()
{
    const QStringList names = QDir(m_dataDir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (m_told.contains(name))
            continue;
        const QString original = ConflictCopyOriginal(name);
        if (original.isEmpty())
            continue;
        m_told.insert(name);
        const QString text = Message(QDir::toNativeSeparators(DataFilePath(m_dataDir, name)), original);
        QTimer::singleShot(0, this, [text] { MessageBoxes::ShowNotice(text); });
    }
}

QString ConflictWatch::Message(const QString& copyPath, const QString& original)
{
    return QStringLiteral("同期ツールが作った競合コピーがあります。\n%1\n\n"
                          "元の「%2」と見比べて内容を手で統合し、その後このコピーを削除してください。")
        .arg(copyPath, original);
}
