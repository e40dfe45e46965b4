#include "Sound.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>

QtSoundService::QtSoundService() = default;

QtSoundService::~QtSoundService()
{
    StopAll();
    // Qt Multimedia loses a sample whose loading is cut short, so a load in flight (a few
    // milliseconds from the resources) may finish first; never longer than the deadline.
    if (QCoreApplication::instance() == nullptr)
        return;
    const QDeadlineTimer deadline(500);
    for (const auto &[id, effect] : m_effects) {
        if (effect->status() != QSoundEffect::Loading || deadline.hasExpired())
            continue;
        QEventLoop loop;
        QObject::connect(effect.get(), &QSoundEffect::statusChanged, &loop, &QEventLoop::quit);
        QTimer::singleShot(static_cast<int>(deadline.remainingTime()), &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void QtSoundService::PlayLooping(int id)
{
    StopAll(); // one sound at a time: a new one replaces the one that plays
    std::unique_ptr<QSoundEffect> &effect = m_effects[id];
    if (!effect) {
        effect = std::make_unique<QSoundEffect>();
        effect->setSource(QUrl(QStringLiteral("qrc:/sounds/%1.wav").arg(id)));
        effect->setLoopCount(QSoundEffect::Infinite);
    }
    effect->play(); // before it has loaded, it starts once loading is done
    m_current = effect.get();
}

void QtSoundService::StopAll()
{
    for (const auto &[id, effect] : m_effects)
        effect->stop();
    m_current = nullptr;
}
