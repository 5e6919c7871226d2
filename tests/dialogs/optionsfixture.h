#pragma once

#include "barcontext.h"
#include "fakebar.h"
#include "dialogseams.h"
#include "holidayfiles.h"
#include "messagebox.h"
#include "modal.h"
#include "tform5.h"
#include "tform7.h"
#include "tinifile.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QList>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>

// The options dialog and its entry dialog over a fresh data directory, with
// every dialog and message box answered by the test.
struct OptionsFixture {
    QTemporaryDir Dir;
    FakeBar Bar;
    TForm5 Entry;
    std::unique_ptr<TForm7> Options;

    QStringList Questions;
    QStringList Errors;
    bool Answer = true; // to "変更しますか？"
    // Fills the entry dialog when it is shown and returns its result (it
    // presses OK or CANCEL itself).
    std::function<void(TForm5&)> EntryAction;
    std::optional<QColor> NextColor;
    QList<QColor> ColorDialogOpenedWith;
    std::optional<QString> NextFile;
    QStringList FileFilters;

    OptionsFixture()
    {
        Bar.DataDir = Dir.path();
        Bar.State.ShownDate = QDateTime(QDate(2024, 5, 1), QTime(9, 0));
        Options = std::make_unique<TForm7>(Bar, Entry);
        MessageBoxes::SetHookForTesting([this](MessageBoxes::Kind kind, const QString& text) {
            (kind == MessageBoxes::Kind::Question ? Questions : Errors).append(text);
            return Answer;
        });
        SetModalHookForTesting([this](QDialog& dialog) {
            if (auto* entry = qobject_cast<TForm5*>(&dialog); entry && EntryAction)
                EntryAction(*entry);
            return dialog.result();
        });
        DialogSeams::SetColorHookForTesting([this](const QColor& initial) {
            ColorDialogOpenedWith.append(initial);
            return NextColor;
        });
        DialogSeams::SetOpenFileHookForTesting([this](const QString& filter) {
            FileFilters.append(filter);
            return NextFile;
        });
    }

    ~OptionsFixture()
    {
        MessageBoxes::SetHookForTesting({});
        SetModalHookForTesting({});
        DialogSeams::SetColorHookForTesting({});
        DialogSeams::SetOpenFileHookForTesting({});
    }

    QString Path(const QString& name) const { return Dir.filePath(name); }
    QString NamedDaysFile() const { return HolidayFilePath(Dir.path()); }
    QString DaysOffFile() const { return DayOffFilePath(Dir.path()); }

    void WriteSection(const QString& file, const QList<TIniFile::KeyValue>& lines) const
    {
        TIniFile ini(file);
        for (const auto& [key, value] : lines)
            ini.WriteText(QString::fromUtf16(HolidaySection), key, value);
    }

    QList<TIniFile::KeyValue> ReadSection(const QString& file) const
    {
        return TIniFile(file).ReadSection(QString::fromUtf16(HolidaySection));
    }

    static QByteArray Bytes(const QString& file)
    {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            return "<missing>";
        return f.readAll();
    }

    QStringList ListBox1Items() const
    {
        QStringList items;
        for (int row = 0; row < Options->ListBox1->count(); ++row)
            items.append(Options->ListBox1->item(row)->text());
        return items;
    }

    // Opens the options dialog as the bar's menu does (shown, so FormShow runs).
    void Open() { Options->show(); }

    // "追加" with the entry dialog filled in and OK pressed.
    void Add(int month, int day, const QString& content, bool dayOff)
    {
        EntryAction = [=](TForm5& e) {
            e.Edit1->setValue(month);
            e.Edit12->setValue(day);
            e.Edit2->setText(content);
            e.CheckBox1->setChecked(dayOff);
            e.Button1->click();
        };
        Options->Button3->click();
    }

    void Select(int row)
    {
        Options->ListBox1->setCurrentRow(row);
    }

    // "閉じる", answered with answer.
    void Close(bool answer)
    {
        Answer = answer;
        Options->Button5->click();
    }
};
