#include "filesource.h"

#include "feedlocation.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QThreadPool>

// Where a pool thread hands its result: the source while it waits, nobody
// once it was aborted or destroyed.
struct FileSource::Delivery {
    QMutex Mutex;
    FileSource* Receiver = nullptr;
};

namespace {

QByteArray FileValidators(const QFileInfo& info)
{
    return "file " + QByteArray::number(info.size()) + " "
           + QByteArray::number(info.lastModified().toMSecsSinceEpoch());
}

CalendarSource::Result Failure(const QString& error, bool transient)
{
    CalendarSource::Result result;
    result.Error = error;
    result.Transient = transient;
    return result;
}

} // namespace

CalendarSource::Result ReadFeedFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Failure(QStringLiteral("ファイルが見つかりません"), true);
    if (!info.isFile())
        return Failure(QStringLiteral("ファイルではありません"), false);
    if (info.size() > MaxFeedBytes)
        return Failure(TooLargeText(), false);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Failure(QStringLiteral("ファイルを読めません"), true);
    CalendarSource::Result result;
    result.Text = file.read(MaxFeedBytes + 1);
    if (result.Text.size() > MaxFeedBytes)
        return Failure(TooLargeText(), false);
    result.Outcome = CalendarSource::Result::Kind::Changed;
    result.Validators = FileValidators(info);
    return result;
}

FileSource::FileSource(QString path, QObject* parent) : CalendarSource(parent), m_path(std::move(path)) {}

FileSource::~FileSource()
{
    Abort();
}

void FileSource::Fetch(const QByteArray& validators, const QByteArray& cachedText)
{
    Abort();
    m_delivery = std::make_shared<Delivery>();
    m_delivery->Receiver = this;
    const QFileInfo info(m_path);
    if (info.isFile() && !validators.isEmpty() && !cachedText.isEmpty() && FileValidators(info) == validators) {
        Result unchanged;
        unchanged.Outcome = Result::Kind::Unchanged;
        unchanged.Validators = validators;
        QMetaObject::invokeMethod(
            this, [this, delivery = m_delivery, unchanged] { Deliver(delivery, unchanged); }, Qt::QueuedConnection);
        return;
    }
    QThreadPool::globalInstance()->start([delivery = m_delivery, path = m_path] {
        const Result result = ReadFeedFile(path);
        const QMutexLocker lock(&delivery->Mutex);
        if (FileSource* receiver = delivery->Receiver)
            QMetaObject::invokeMethod(
                receiver, [receiver, delivery, result] { receiver->Deliver(delivery, result); }, Qt::QueuedConnection);
    });
}

void FileSource::Abort()
{
    if (!m_delivery)
        return;
    const QMutexLocker lock(&m_delivery->Mutex);
    m_delivery->Receiver = nullptr;
    m_delivery.reset();
}

void FileSource::Deliver(const std::shared_ptr<Delivery>& delivery, const Result& result)
{
    // A result of an aborted fetch may already be queued: drop it.
    if (!m_delivery || m_delivery != delivery)
        return;
    m_delivery.reset();
    emit Finished(result);
}
