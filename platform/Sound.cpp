#include "Sound.h"

#include <QSoundEffect>
#include <QUrl>

QtSoundService::QtSoundService() = default;

QtSoundService::~QtSoundService() = default;

void QtSoundService::PlayLooping(int id)
{
    StopAll(); // one sound at a time: a new one replaces the one that plays
    m_effect = std::make_unique<QSoundEffect>();
    m_effect->setSource(QUrl(QStringLiteral("qrc:/sounds/%1.wav").arg(id)));
    m_effect->setLoopCount(QSoundEffect::Infinite);
    m_effect->play();
}

void QtSoundService::StopAll()
{
    if (m_effect)
        m_effect->stop();
    m_effect.reset();
}
