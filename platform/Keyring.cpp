// The keyring on Linux: QtKeychain, which speaks to the Secret Service or KWallet.
#include "Keyring.h"

#include <QEventLoop>
#include <QTimer>

#include <qt6keychain/keychain.h>

namespace {

const QString kService = QStringLiteral("Festmark");
// A locked keyring asks its user to unlock it; a keyring that never answers must not hold
// the program for longer than that takes.
constexpr int kKeyringWaitMs = 30000;

// Runs a job to its end, or until the time is up.
bool RunJob(QKeychain::Job &job, int waitMs)
{
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
    job.setAutoDelete(false);
    job.start();
    if (!finished)
        loop.exec();
    return finished;
}

QString KeyringProblem(const QKeychain::Job &job, bool finished)
{
    if (!finished)
        return QStringLiteral("Der Schlüsselbund antwortet nicht.");
    return QStringLiteral("Kein Schlüsselbund erreichbar (%1).").arg(job.errorString());
}

} // namespace

std::optional<QString> ReadKeyringPassword(const QString &key, QString *problem)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(key);
    const bool finished = RunJob(job, kKeyringWaitMs);
    if (finished && job.error() == QKeychain::NoError)
        return job.textData();
    if (problem != nullptr && !(finished && job.error() == QKeychain::EntryNotFound))
        *problem = KeyringProblem(job, finished);
    return std::nullopt;
}

bool StoreKeyringPassword(const QString &key, const QString &password, QString *problem)
{
    QKeychain::WritePasswordJob job(kService);
    job.setKey(key);
    job.setTextData(password);
    const bool finished = RunJob(job, kKeyringWaitMs);
    if (finished && job.error() == QKeychain::NoError)
        return true;
    if (problem != nullptr)
        *problem = KeyringProblem(job, finished);
    return false;
}

void ReadKeyringPasswordLater(const QString &key, QObject *context,
                              std::function<void(std::optional<QString>, QString)> done)
{
    auto *job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(key);
    QObject::connect(job, &QKeychain::Job::finished, context, [job, done = std::move(done)] {
        if (job->error() == QKeychain::NoError)
            done(job->textData(), QString());
        else
            done(std::nullopt,
                 job->error() == QKeychain::EntryNotFound ? QString() : KeyringProblem(*job, true));
    });
    job->start(); // deletes itself when finished
}

void StoreKeyringPasswordLater(const QString &key, const QString &password, QObject *context,
                               std::function<void(QString)> done)
{
    auto *job = new QKeychain::WritePasswordJob(kService);
    job->setKey(key);
    job->setTextData(password);
    QObject::connect(job, &QKeychain::Job::finished, context, [job, done = std::move(done)] {
        done(job->error() == QKeychain::NoError ? QString() : KeyringProblem(*job, true));
    });
    job->start();
}
