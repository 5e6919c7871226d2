#pragma once

#include "calendarsource.h"

#include <memory>

// A calendar file's text now (Changed), or why it cannot be read (Failed).
CalendarSource::Result ReadFeedFile(const QString& path);

// A calendar in a local .ics file. Its size and time of change are its
// validators: an unchanged file is not read again. The reading runs on a
// pool thread.
class FileSource : public CalendarSource {
    Q_OBJECT

public:
    explicit FileSource(QString path, QObject* parent = nullptr);
    ~FileSource() override;

    void Fetch(const QByteArray& validators, const QByteArray& cachedText) override;
    void Abort() override;

    struct Delivery;

private:
    void Deliver(const std::shared_ptr<Delivery>& delivery, const Result& result);
    QString m_path;
    std::shared_ptr<Delivery> m_delivery;
};
