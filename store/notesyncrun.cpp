#include "notesyncrun.h"

#include "apperror.h"
#include "calendarrules.h"
#include "passwords.h"
#include "schedulefiles.h"
#include "textutil.h"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int MaxDecisions = 3; // a day whose object keeps changing under us fails after these
constexpr int MaxUids = 3;

// A file's stored text as a note.
QString NoteOfFile(const QString& stored)
{
    return IsBlank(stored) ? QString() : SplitScheduleText(stored).join(u'\n');
}

QString StoredNote(const QString& dataDir, QDate day)
{
    return NoteOfFile(StoredSchedule(dataDir, FormatYYYY(day), FormatMM(day), FormatDD(day)));
}

} // namespace

NoteSyncRun::NoteSyncRun(const QString& dataDir, const CalendarEntry& entry, QNetworkAccessManager* network,
                         Passwords* passwords, bool confirmed, QObject* parent)
    : QObject(parent)
    , m_dataDir(dataDir)
    , m_entry(entry)
    , m_passwords(passwords)
    , m_confirmed(confirmed)
    , m_collection(network, QUrl(entry.Source))
{
    m_statePath = NoteSyncStatePath(dataDir, m_collection.Url().toString(), entry.User);
}

void NoteSyncRun::Start()
{
    m_running = true;
    m_report = {};
    QDir().mkpath(QFileInfo(m_statePath).absolutePath());
    m_lock = std::make_unique<QLockFile>(m_statePath + QStringLiteral(".lock"));
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        QTimer::singleShot(0, this, [this] { Fail(QStringLiteral("別の同期が実行中です")); });
        return;
    }
    m_first = !ReadNoteSyncState(m_statePath, m_state);
    m_collection.Token = m_state.Token;
    m_collection.NoSync = m_state.NoSync;
    m_collection.Objects.clear();
    for (auto it = m_state.Objects.cbegin(); it != m_state.Objects.cend(); ++it)
        m_collection.Objects.insert(it.key(), {it->ETag, it->Text});

    const QUrl url = m_collection.Url();
    if (!MaySendPassword(url)) {
        QTimer::singleShot(0, this, [this] { Fail(QStringLiteral("パスワードは https でしか送りません")); });
        return;
    }
    m_passwords->Read(Passwords::Key(m_entry.User, url), this, [this](const PasswordLookup& lookup) {
        if (!m_running)
            return;
        if (!lookup.Found) {
            Fail(QStringLiteral("パスワードが必要です"));
            return;
        }
        m_collection.Client().SetCredentials(m_entry.User, lookup.Password);
        m_collection.Update([this](const DavAnswer* failure, bool changed) {
            m_listChanged = changed;
            if (failure)
                Fail(DavFailureText(*failure));
            else
                Plan();
        });
    });
}

void NoteSyncRun::Abort()
{
    m_running = false;
    m_collection.Abort();
    m_lock.reset();
}

void NoteSyncRun::Plan()
{
    m_notes.clear();
    QMap<QDate, QList<DayObjectText>> byDay;
    for (auto it = m_collection.Objects.cbegin(); it != m_collection.Objects.cend(); ++it) {
        const NoteObject note = ReadNoteObject(it->Text);
        if (!note.IsNote)
            continue;
        m_notes.insert(it.key(), note);
        byDay[note.Date].append({note.Uid, note.Text});
    }
    QMap<QDate, QString> server;
    for (auto it = byDay.cbegin(); it != byDay.cend(); ++it) {
        const QString text = JoinDayTexts(*it);
        if (!text.isEmpty())
            server.insert(it.key(), text);
    }
    m_files.clear();
    for (const ScheduleListEntry& entry : ReadScheduleList(m_dataDir)) {
        const QDate day = QDate::fromString(entry.DateText, QStringLiteral("yyyy/MM/dd"));
        const QString text = NoteOfFile(entry.Text);
        if (day.isValid() && !text.isEmpty())
            m_files.insert(day, text);
    }

    const NotePlan plan = PlanNoteSync(m_files, server, m_state.Agreed, m_first);
    if (plan.Question != NotePlan::Ask::None && !m_confirmed) {
        m_report.Sent = plan.Sent;
        m_report.Received = plan.Received;
        m_report.Merged = plan.Merged;
        m_report.Question = plan.QuestionText();
        Emit();
        return;
    }
    m_days = plan.Days.keys();
    // Days that several devices wrote become one object even where the
    // texts need no change.
    for (auto it = byDay.cbegin(); it != byDay.cend(); ++it) {
        if (it->size() > 1 && !plan.Days.contains(it.key()))
            m_days << it.key();
    }
    std::sort(m_days.begin(), m_days.end());
    NextDay();
}

QList<NoteSyncRun::DayObject> NoteSyncRun::ObjectsOn(QDate day) const
{
    QList<DayObject> objects;
    for (auto it = m_notes.cbegin(); it != m_notes.cend(); ++it) {
        if (it->Date == day)
            objects.append({it.key(), *it, m_collection.Objects.value(it.key()).ETag});
    }
    std::sort(objects.begin(), objects.end(), [](const DayObject& a, const DayObject& b) {
        return a.Note.Uid != b.Note.Uid ? a.Note.Uid < b.Note.Uid : a.Key < b.Key;
    });
    return objects;
}

QString NoteSyncRun::ServerText(QDate day) const
{
    QList<DayObjectText> texts;
    for (const DayObject& object : ObjectsOn(day))
        texts.append({object.Note.Uid, object.Note.Text});
    return JoinDayTexts(texts);
}

void NoteSyncRun::NextDay()
{
    if (!m_running)
        return;
    if (m_days.isEmpty()) {
        Finish();
        return;
    }
    m_day = m_days.takeFirst();
    m_tries = 0;
    Decide();
}

void NoteSyncRun::Decide()
{
    const auto agreed = m_state.Agreed.constFind(m_day);
    ++m_tries;
    Process(DecideNote(m_files.value(m_day), ServerText(m_day),
                       agreed == m_state.Agreed.cend() ? nullptr : &*agreed));
}

void NoteSyncRun::Process(const NoteDecision& decision)
{
    m_decision = decision;
    m_writes.clear();
    m_uidTries = 0;
    const QList<DayObject> objects = ObjectsOn(m_day);
    const bool toServer = decision.Step == NoteStep::Send || decision.Step == NoteStep::Merge
                          || decision.Step == NoteStep::DeleteOnServer || objects.size() > 1;
    if (toServer) {
        // The object with the least UID stays, the others go: every machine
        // keeps the same one.
        qsizetype firstToDelete = 0;
        if (!decision.ServerText.isEmpty()) {
            firstToDelete = 1;
            if (objects.isEmpty())
                m_writes.append({QString(), decision.ServerText, QString()});
            else if (objects.first().Note.Text != decision.ServerText)
                m_writes.append({objects.first().Key, decision.ServerText, objects.first().ETag});
        }
        for (qsizetype i = firstToDelete; i < objects.size(); ++i)
            m_writes.append({objects[i].Key, QString(), objects[i].ETag});
    }
    NextWrite();
}

void NoteSyncRun::NextWrite()
{
    if (!m_running)
        return;
    if (m_writes.isEmpty()) {
        FinishDay(m_decision);
        return;
    }
    const Write write = m_writes.first();
    DavClient& client = m_collection.Client();
    auto done = [this, write](const QString& key, const QByteArray& body) {
        return [this, write, key, body](const DavAnswer& answer) { OnWrite(write, key, body, answer); };
    };
    DavClient::Headers headers;
    if (!write.ETag.isEmpty())
        headers.append({QByteArray("If-Match"), write.ETag.toUtf8()});
    if (write.Text.isEmpty()) {
        client.Send("DELETE", m_collection.Address(write.Key), -1, {}, done(write.Key, {}), headers);
        return;
    }
    headers.append({QByteArray("Content-Type"), QByteArray("text/calendar; charset=utf-8")});
    QString key = write.Key;
    QByteArray body;
    if (key.isEmpty()) {
        const QString uid = NewNoteUid();
        QString folder = m_collection.Url().path(QUrl::FullyDecoded);
        if (!folder.endsWith(u'/'))
            folder += u'/';
        key = folder + uid + QStringLiteral(".ics");
        body = WriteNoteObject(uid, m_day, write.Text, 0, QDateTime::currentDateTimeUtc());
        headers.append({QByteArray("If-None-Match"), QByteArray("*")});
    } else {
        const NoteObject& note = m_notes[key];
        body = WriteNoteObject(note.Uid, m_day, write.Text, note.Sequence + 1, QDateTime::currentDateTimeUtc());
    }
    client.Send("PUT", m_collection.Address(key), -1, body, done(key, body), headers);
}

void NoteSyncRun::OnWrite(const Write& write, const QString& key, const QByteArray& body, const DavAnswer& answer)
{
    const int status = answer.Status;
    const bool remove = body.isEmpty();
    const bool create = write.Key.isEmpty();
    if (status == 0) {
        // Offline or the server went away: the rest waits for the next sync.
        m_report.Failed += 1 + m_days.size();
        m_report.Error = DavFailureText(answer);
        m_days.clear();
        Finish();
        return;
    }
    m_lastRefusal = DavFailureText(answer);
    auto next = [this] {
        m_writes.removeFirst();
        NextWrite();
    };
    if ((status >= 200 && status < 300) || (remove && (status == 404 || status == 410))) {
        if (remove) {
            Forget(key);
            next();
        } else {
            Record(key, body, answer.ETag, next);
        }
        return;
    }
    if (create && (status == 409 || status == 412 || status == 400 || status == 403)) {
        // This UID is taken, or a trash bin keeps it: another one.
        if (++m_uidTries < MaxUids) {
            NextWrite();
            return;
        }
    } else if (!create && (status == 412 || status == 404 || status == 410)) {
        // Changed or gone meanwhile: read it again and decide again.
        ReadAgain(key);
        return;
    }
    FailDay();
}

void NoteSyncRun::Record(const QString& key, const QByteArray& body, const QByteArray& etag, std::function<void()> then)
{
    if (!etag.isEmpty()) {
        Keep(key, etag, body);
        then();
        return;
    }
    // No ETag in the answer: the object as stored tells it.
    m_collection.Client().Send("GET", m_collection.Address(key), -1, {}, [this, key, then](const DavAnswer& answer) {
        if (answer.Status == 200 && !answer.ETag.isEmpty())
            Keep(key, answer.ETag, answer.Body);
        else
            Forget(key); // the next listing fetches it
        then();
    });
}

void NoteSyncRun::Keep(const QString& key, const QByteArray& etag, const QByteArray& text)
{
    m_collection.Objects.insert(key, {QString::fromUtf8(etag), text});
    const NoteObject note = ReadNoteObject(text);
    if (note.IsNote)
        m_notes.insert(key, note);
    else
        m_notes.remove(key);
}

void NoteSyncRun::Forget(const QString& key)
{
    m_collection.Objects.remove(key);
    m_notes.remove(key);
}

void NoteSyncRun::ReadAgain(const QString& key)
{
    if (m_tries >= MaxDecisions) {
        FailDay();
        return;
    }
    m_collection.Client().Send("GET", m_collection.Address(key), -1, {}, [this, key](const DavAnswer& answer) {
        if (answer.Status == 200) {
            Keep(key, answer.ETag, answer.Body);
        } else if (answer.Status == 404 || answer.Status == 410) {
            Forget(key);
        } else {
            m_lastRefusal = DavFailureText(answer);
            FailDay();
            return;
        }
        Decide();
    });
}

void NoteSyncRun::FinishDay(const NoteDecision& decision)
{
    const QString planned = m_files.value(m_day);
    const QString year = FormatYYYY(m_day);
    const QString month = FormatMM(m_day);
    const QString day = FormatDD(m_day);
    QString file = planned;
    if (decision.FileText != planned) {
        // Written in the editor since the plan: that text is the next sync's.
        if (StoredNote(m_dataDir, m_day) != planned) {
            NextDay();
            return;
        }
        try {
            if (decision.FileText.isEmpty())
                DeleteSchedule(m_dataDir, year, month, day);
            else
                RegisterSchedule(m_dataDir, year, month, day, decision.FileText.split(u'\n'));
        } catch (const AppError& error) {
            m_lastRefusal = error.message();
            FailDay();
            return;
        }
        // What the file gives back is what was agreed on.
        file = StoredNote(m_dataDir, m_day);
    }
    switch (decision.Step) {
    case NoteStep::Send:
    case NoteStep::DeleteOnServer:
        ++m_report.Sent;
        break;
    case NoteStep::Receive:
    case NoteStep::DeleteInFile:
        ++m_report.Received;
        break;
    case NoteStep::Merge:
        ++m_report.Merged;
        m_report.MergedDays << m_day;
        break;
    default:
        break;
    }
    m_agreedChanged = true;
    if (decision.ServerText.isEmpty() && file.isEmpty())
        m_state.Agreed.remove(m_day);
    else
        m_state.Agreed.insert(m_day, {decision.ServerText, file});
    NextDay();
}

void NoteSyncRun::FailDay()
{
    ++m_report.Failed;
    m_report.FailedDays << m_day;
    m_report.FailedWhy = m_lastRefusal;
    NextDay();
}

void NoteSyncRun::Fail(const QString& error)
{
    m_report.Error = error;
    Emit();
}

void NoteSyncRun::Finish()
{
    // Nothing new: the state on disk stands.
    if (!m_listChanged && m_collection.Token == m_state.Token && !m_agreedChanged
        && m_report.Failed == 0) {
        Emit();
        return;
    }
    m_state.Token = m_collection.Token;
    m_state.NoSync = m_collection.NoSync;
    m_state.Objects.clear();
    for (auto it = m_collection.Objects.cbegin(); it != m_collection.Objects.cend(); ++it)
        m_state.Objects.insert(it.key(), {it->ETag, it->Text});
    try {
        WriteNoteSyncState(m_statePath, m_state);
    } catch (const AppError& error) {
        m_report.Error = error.message();
    }
    Emit();
}

void NoteSyncRun::Emit()
{
    if (!m_running)
        return;
    m_running = false;
    m_report.Requests = m_collection.Client().RequestCount();
    m_lock.reset();
    emit Finished(m_report);
}
