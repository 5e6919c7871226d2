#include "notesync.h"

#include "cp932.h"
#include "schedulefiles.h"
#include "textutil.h"

#include <QSet>

#include <algorithm>

namespace {

QString MergeLine()
{
    return QString::fromUtf16(NoteMergeLine);
}

// Every character the files cannot hold as "〓".
QString Cp932Storable(const QString& text)
{
    if (Cp932::TryEncode(text))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype n = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
        const QStringView piece = QStringView(text).mid(i, n);
        if (Cp932::TryEncode(piece))
            out += piece;
        else
            out += u'〓';
        i += n;
    }
    return out;
}

// A text's parts between merge lines.
QStringList Sections(const QString& text)
{
    QStringList sections;
    QStringList current;
    for (const QString& line : text.split(u'\n')) {
        if (line == MergeLine()) {
            sections << current.join(u'\n');
            current.clear();
        } else {
            current << line;
        }
    }
    sections << current.join(u'\n');
    return sections;
}

// Whether every part of b stands in a: a merge already made, of which one
// side was written and the other not when a sync was cut short.
bool HoldsAllOf(const QString& a, const QString& b)
{
    const QStringList have = Sections(a);
    const QStringList want = Sections(b);
    return std::all_of(want.cbegin(), want.cend(), [&](const QString& s) { return have.contains(s); });
}

} // namespace

QString NoteFromServer(const QString& text)
{
    QString note = text;
    note.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    note.replace(u'\r', u'\n');
    while (note.endsWith(u'\n'))
        note.chop(1);
    return IsBlank(note) ? QString() : note;
}

QString NoteFileForm(const QString& serverText)
{
    const QString note = Cp932Storable(NoteFromServer(serverText));
    const QString form = SplitScheduleText(JoinScheduleLines(note.split(u'\n'))).join(u'\n');
    return IsBlank(form) ? QString() : form;
}

NoteDecision DecideNote(const QString& file, const QString& server, const AgreedNote* agreed)
{
    const bool fileChanged = agreed ? file != agreed->File : !file.isEmpty();
    const bool serverChanged = agreed ? server != agreed->Server : !server.isEmpty();
    if (!fileChanged && !serverChanged)
        return {NoteStep::Nothing, server, file};
    // Only a day that changed needs the file's form of the server's text.
    const QString serverFile = NoteFileForm(server);
    // What the server will give back of the file's text.
    const QString sent = NoteFromServer(file);
    if (!serverChanged)
        return file.isEmpty() ? NoteDecision{NoteStep::DeleteOnServer, {}, {}} : NoteDecision{NoteStep::Send, sent, file};
    if (!fileChanged)
        return server.isEmpty() ? NoteDecision{NoteStep::DeleteInFile, {}, {}}
                                : NoteDecision{NoteStep::Receive, server, serverFile};
    if (serverFile == file)
        return {NoteStep::Agree, server, file};
    // Deleted on one side, changed on the other: the change wins.
    if (file.isEmpty())
        return {NoteStep::Receive, server, serverFile};
    if (server.isEmpty() || HoldsAllOf(file, serverFile))
        return {NoteStep::Send, sent, file};
    if (HoldsAllOf(serverFile, file))
        return {NoteStep::Receive, server, serverFile};
    const QString merged = sent + u'\n' + MergeLine() + u'\n' + server;
    return {NoteStep::Merge, merged, NoteFileForm(merged)};
}

QString JoinDayTexts(QList<DayObjectText> objects)
{
    std::sort(objects.begin(), objects.end(),
              [](const DayObjectText& a, const DayObjectText& b) { return a.Uid < b.Uid; });
    QStringList texts;
    for (const DayObjectText& object : objects) {
        const QString text = NoteFromServer(object.Text);
        if (!text.isEmpty() && !texts.contains(text))
            texts << text;
    }
    return texts.join(u'\n' + MergeLine() + u'\n');
}

NotePlan PlanNoteSync(const QMap<QDate, QString>& files, const QMap<QDate, QString>& server,
                      const QMap<QDate, AgreedNote>& agreed, bool firstSync)
{
    QSet<QDate> days;
    for (const QDate& day : files.keys())
        days.insert(day);
    for (const QDate& day : server.keys())
        days.insert(day);
    for (const QDate& day : agreed.keys())
        days.insert(day);

    NotePlan plan;
    int deletedInFiles = 0;
    int deletedOnServer = 0;
    for (const QDate& day : days) {
        const auto was = agreed.constFind(day);
        const NoteDecision decision =
            DecideNote(files.value(day), server.value(day), was == agreed.cend() ? nullptr : &*was);
        if (decision.Step == NoteStep::Nothing)
            continue;
        plan.Days.insert(day, decision);
        switch (decision.Step) {
        case NoteStep::DeleteOnServer:
            ++deletedOnServer;
            [[fallthrough]];
        case NoteStep::Send:
            ++plan.Sent;
            break;
        case NoteStep::DeleteInFile:
            ++deletedInFiles;
            [[fallthrough]];
        case NoteStep::Receive:
            ++plan.Received;
            break;
        case NoteStep::Merge:
            ++plan.Merged;
            break;
        default:
            break;
        }
    }
    if (firstSync) {
        if (!files.isEmpty() && !server.isEmpty() && plan.Sent + plan.Received + plan.Merged > 0)
            plan.Question = NotePlan::Ask::FirstSync;
    } else if (server.isEmpty() && deletedInFiles > 0) {
        plan.Question = NotePlan::Ask::ServerEmptied;
    } else if (files.isEmpty() && deletedOnServer > 0) {
        plan.Question = NotePlan::Ask::FilesEmptied;
    }
    return plan;
}

QString NotePlan::QuestionText() const
{
    switch (Question) {
    case Ask::FirstSync:
        return QStringLiteral("初めての同期です。送信 %1 件、受信 %2 件、統合 %3 件。同期しますか？")
            .arg(Sent)
            .arg(Received)
            .arg(Merged);
    case Ask::ServerEmptied:
        return QStringLiteral("サーバーの予定がすべて消えています。同期を続けますか？");
    case Ask::FilesEmptied:
        return QStringLiteral("このパソコンの予定がすべて消えています。同期を続けますか？");
    case Ask::None:
        break;
    }
    return {};
}

QString NoteSyncSummary(int sent, int received, int merged, int failed)
{
    return QStringLiteral("送信 %1 件、受信 %2 件、統合 %3 件、失敗 %4 件").arg(sent).arg(received).arg(merged).arg(failed);
}
