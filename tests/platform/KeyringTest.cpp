// The system's keyring: a password kept is read back as it was, under its own key only.
#include "Keyring.h"

#include <QUuid>

#include <gtest/gtest.h>

namespace {

TEST(KeyringTest, APasswordKeptIsReadBackUnderItsKeyOnly)
{
    // A key of this run's own: a real keyring is shared with the user's other programs.
    const QString key =
        "carddav:test-" + QUuid::createUuid().toString(QUuid::WithoutBraces) + "@127.0.0.1";
    const QString password = QString::fromUtf8("gehe im:€ü\"'");
    QString problem;
    if (!StoreKeyringPassword(key, password, &problem))
        GTEST_SKIP() << "no keyring here: " << problem.toStdString();
    EXPECT_EQ(ReadKeyringPassword(key), password);
    QString none;
    EXPECT_EQ(ReadKeyringPassword(key + "x", &none), std::nullopt);
    EXPECT_TRUE(none.isEmpty()) << "an entry that is not there is no problem";
}

} // namespace
