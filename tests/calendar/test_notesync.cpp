#include "noteobject.h"
#include "notesync.h"
#include "notesyncstate.h"

#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(NoteStep)

namespace {
const QString Line = QString::fromUtf16(NoteMergeLine);
}

class TestNoteSync : public QObject {
    Q_OBJECT

private slots:
    void decide_data();
    void decide();
    void plan_data();
    void plan();
    void joinDayTexts();
    void readObject_data();
    void readObject();
    void writtenObjectReadsBack();
    void stateRoundTrip();
};

void TestNoteSync::decide_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QStringList>("agreed"); // {server, file}, or none
    QTest::addColumn<NoteStep>("step");
    QTest::addColumn<QString>("serverAfter");
    QTest::addColumn<QString>("fileAfter");

    const QStringList none;
    const QStringList a{"A", "A"};
    QTest::newRow("as agreed") << "A" << "A" << a << NoteStep::Nothing << "A" << "A";
    QTest::newRow("file changed") << "B" << "A" << a << NoteStep::Send << "B" << "B";
    QTest::newRow("server changed") << "A" << "B" << a << NoteStep::Receive << "B" << "B";
    QTest::newRow("both to one text") << "B" << "B" << a << NoteStep::Agree << "B" << "B";
    QTest::newRow("both, differently") << "B" << "C" << a << NoteStep::Merge << "B\n" + Line + "\nC"
                                       << "B\n" + Line + "\nC";
    QTest::newRow("deleted in file") << "" << "A" << a << NoteStep::DeleteOnServer << "" << "";
    QTest::newRow("deleted on server") << "A" << "" << a << NoteStep::DeleteInFile << "" << "";
    QTest::newRow("deleted on both") << "" << "" << a << NoteStep::Agree << "" << "";
    QTest::newRow("file deleted, server changed") << "" << "C" << a << NoteStep::Receive << "C" << "C";
    QTest::newRow("server deleted, file changed") << "B" << "" << a << NoteStep::Send << "B" << "B";
    QTest::newRow("first: file only") << "A" << "" << none << NoteStep::Send << "A" << "A";
    QTest::newRow("first: server only") << "" << "A\r\nB\r\n" << none << NoteStep::Receive << "A\r\nB\r\n" << "A\nB";
    QTest::newRow("first: equal") << "A\nB" << "A\nB" << none << NoteStep::Agree << "A\nB" << "A\nB";
    QTest::newRow("first: different") << "A" << "B" << none << NoteStep::Merge << "A\n" + Line + "\nB"
                                      << "A\n" + Line + "\nB";
    QTest::newRow("emoji kept on the server") << "" << "会議🎉" << none << NoteStep::Receive << "会議🎉" << "会議〓";
    QTest::newRow("emoji not sent back") << "会議〓" << "会議🎉" << QStringList{"会議🎉", "会議〓"} << NoteStep::Nothing
                                         << "会議🎉" << "会議〓";
    QTest::newRow("emoji equal on first") << "会議〓" << "会議🎉" << none << NoteStep::Agree << "会議🎉" << "会議〓";
    QTest::newRow("emoji merged") << "B" << "C🎉" << a << NoteStep::Merge << "B\n" + Line + "\nC🎉"
                                  << "B\n" + Line + "\nC〓";
    QTest::newRow("#~ is a line break in files") << "" << "x#~y" << none << NoteStep::Receive << "x#~y" << "x\ny";
    QTest::newRow("file's trailing empty line") << "A\n" << "" << none << NoteStep::Send << "A" << "A\n";
    // A merge that reached one side only is not merged again.
    QTest::newRow("merge half done: file") << "B\n" + Line + "\nC" << "C" << a << NoteStep::Send
                                           << "B\n" + Line + "\nC" << "B\n" + Line + "\nC";
    QTest::newRow("merge half done: server") << "B" << "B\n" + Line + "\nC" << a << NoteStep::Receive
                                             << "B\n" + Line + "\nC" << "B\n" + Line + "\nC";
}

// Each decision, applied, leaves a second sync nothing to do.
void TestNoteSync::decide()
{
    QFETCH(QString, file);
    QFETCH(QString, server);
    QFETCH(QStringList, agreed);
    QFETCH(NoteStep, step);
    const AgreedNote was{agreed.value(0), agreed.value(1)};
    const NoteDecision d = DecideNote(file, server, agreed.isEmpty() ? nullptr : &was);
    QCOMPARE(d.Step, step);
    QTEST(d.ServerText, "serverAfter");
    QTEST(d.FileText, "fileAfter");

    const AgreedNote now{NoteFromServer(d.ServerText), d.FileText};
    const NoteDecision again = DecideNote(d.FileText, NoteFromServer(d.ServerText), &now);
    QCOMPARE(again.Step, NoteStep::Nothing);
}

void TestNoteSync::plan_data()
{
    using Texts = QMap<QDate, QString>;
    QTest::addColumn<Texts>("files");
    QTest::addColumn<Texts>("server");
    QTest::addColumn<bool>("first");
    QTest::addColumn<int>("ask");
    QTest::addColumn<QList<int>>("counts"); // sent, received, merged

    const QDate d1(2026, 12, 1), d2(2026, 12, 2), d3(2026, 12, 3);
    const Texts all{{d1, "A"}, {d2, "B"}};
    QTest::newRow("first, both sides") << Texts{{d1, "A"}, {d3, "F"}} << Texts{{d1, "X"}, {d2, "B"}} << true
                                       << int(NotePlan::Ask::FirstSync) << QList<int>{1, 1, 1};
    QTest::newRow("first, files only") << all << Texts{} << true << int(NotePlan::Ask::None) << QList<int>{2, 0, 0};
    QTest::newRow("first, all equal") << all << all << true << int(NotePlan::Ask::None) << QList<int>{0, 0, 0};
    QTest::newRow("server emptied") << all << Texts{} << false << int(NotePlan::Ask::ServerEmptied)
                                    << QList<int>{0, 2, 0};
    QTest::newRow("files emptied") << Texts{} << all << false << int(NotePlan::Ask::FilesEmptied)
                                   << QList<int>{2, 0, 0};
    QTest::newRow("one deleted on the server") << all << Texts{{d1, "A"}} << false << int(NotePlan::Ask::None)
                                               << QList<int>{0, 1, 0};
}

void TestNoteSync::plan()
{
    using Texts = QMap<QDate, QString>;
    QFETCH(Texts, files);
    QFETCH(Texts, server);
    QFETCH(bool, first);
    QFETCH(QList<int>, counts);
    QMap<QDate, AgreedNote> agreed;
    if (!first) {
        agreed.insert(QDate(2026, 12, 1), {"A", "A"});
        agreed.insert(QDate(2026, 12, 2), {"B", "B"});
    }
    const NotePlan plan = PlanNoteSync(files, server, agreed, first);
    QTEST(int(plan.Question), "ask");
    QCOMPARE((QList<int>{plan.Sent, plan.Received, plan.Merged}), counts);
    if (plan.Question == NotePlan::Ask::FirstSync)
        QVERIFY(plan.QuestionText().contains(QStringLiteral("送信 1 件、受信 1 件、統合 1 件")));
}

void TestNoteSync::joinDayTexts()
{
    const QString joined = JoinDayTexts({{"b", "phone"}, {"a", "bar"}, {"c", "bar\r\n"}, {"d", " "}});
    QCOMPARE(joined, "bar\n" + Line + "\nphone");
    QCOMPARE(JoinDayTexts({{"a", "bar"}, {"b", "phone"}}), joined);
}

void TestNoteSync::readObject_data()
{
    QTest::addColumn<QByteArray>("event");
    QTest::addColumn<bool>("isNote");
    QTest::addColumn<QString>("text");

    const QByteArray start = "UID:p1\r\nDTSTAMP:20261201T000000Z\r\nDTSTART;VALUE=DATE:20261205\r\n";
    QTest::newRow("phone, no DTEND") << start + "SUMMARY:Lunch\r\n" << true << "Lunch";
    QTest::newRow("DTEND equal") << start + "DTEND;VALUE=DATE:20261205\r\nSUMMARY:x\r\n" << true << "x";
    QTest::newRow("description wins")
        << start + "DTEND;VALUE=DATE:20261206\r\nSUMMARY:a\r\nDESCRIPTION:a\\nb\\, c\\; d\r\n" << true << "a\nb, c; d";
    QTest::newRow("one day's duration") << start + "DURATION:P1D\r\nSUMMARY:x\r\n" << true << "x";
    QTest::newRow("two days") << start + "DTEND;VALUE=DATE:20261207\r\nSUMMARY:x\r\n" << false << "";
    QTest::newRow("timed") << QByteArray("UID:p1\r\nDTSTAMP:20261201T000000Z\r\nDTSTART:20261205T090000Z\r\nSUMMARY:x\r\n")
                           << false << "";
    QTest::newRow("repeats") << start + "RRULE:FREQ=YEARLY\r\nSUMMARY:x\r\n" << false << "";
    QTest::newRow("cancelled") << start + "STATUS:CANCELLED\r\nSUMMARY:x\r\n" << false << "";
}

void TestNoteSync::readObject()
{
    QFETCH(QByteArray, event);
    const NoteObject note =
        ReadNoteObject("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\n" + event + "END:VEVENT\r\nEND:VCALENDAR\r\n");
    QTEST(note.IsNote, "isNote");
    if (note.IsNote) {
        QCOMPARE(note.Date, QDate(2026, 12, 5));
        QTEST(note.Text, "text");
    }
}

void TestNoteSync::writtenObjectReadsBack()
{
    const QString text = QStringLiteral("打ち合わせ、会議室Ａ; \\ 持ち物🎉\n\n") + QString(60, u'あ') + "\n最後";
    const QByteArray ics = WriteNoteObject("u-1", QDate(2026, 2, 28), text, 3, QDateTime::currentDateTimeUtc());
    for (const QByteArray& line : ics.split('\n')) {
        QVERIFY2(line.size() <= 76, line.constData()); // 75 octets and the CR
        QVERIFY(QString::fromUtf8(line).toUtf8() == line);  // never folded inside a character
    }
    QVERIFY(ics.contains("DTEND;VALUE=DATE:20260301\r\n"));
    QVERIFY(ics.contains("TRANSP:TRANSPARENT\r\n"));
    const NoteObject note = ReadNoteObject(ics);
    QVERIFY(note.IsNote);
    QCOMPARE(note.Uid, "u-1");
    QCOMPARE(note.Date, QDate(2026, 2, 28));
    QCOMPARE(note.Text, text);
    QCOMPARE(note.Sequence, 3);
    QVERIFY(NewNoteUid() != NewNoteUid());
}

void TestNoteSync::stateRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a/b/state.json");
    NoteSyncState state;
    QVERIFY(!ReadNoteSyncState(path, state));
    state.Token = "http://x/sync/7";
    state.Objects.insert("/alice/notes/u 1.ics", {"\"e1\"", "BEGIN:VCALENDAR\r\n予定\r\n"});
    state.Agreed.insert(QDate(2026, 12, 9), {"会議🎉", "会議〓"});
    WriteNoteSyncState(path, state);
    NoteSyncState back;
    QVERIFY(ReadNoteSyncState(path, back));
    QCOMPARE(back.Token, state.Token);
    QCOMPARE(back.Objects.value("/alice/notes/u 1.ics").Text, state.Objects.first().Text);
    QCOMPARE(back.Agreed, state.Agreed);
}

QTEST_GUILESS_MAIN(TestNoteSync)
#include "test_notesync.moc"
