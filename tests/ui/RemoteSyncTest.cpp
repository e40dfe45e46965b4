// Address books on servers in the window: the cached rows at once, the server read aside,
// its news reaching the open window, and a server away told beside the rows.
#include "RemoteSync.h"
#include "AddressBookCache.h"
#include "FestelForm.h"
#include "Recorders.h"
#include "RemoteBookDlg.h"
#include "TestSettings.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace std::chrono;

QByteArray Card(const QByteArray &uid, const QByteArray &name, const QByteArray &birthday)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nN:" + name + ";;;;\r\nFN:" + name +
           "\r\nBDAY:" + birthday + "\r\nEND:VCARD\r\n";
}

// A port nothing listens on: a server that is away.
int ClosedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return server.serverPort();
}

// Xandikos from Debian's package, on a port of its own, with its default address book.
class Xandikos {
public:
    bool Start()
    {
        if (QStandardPaths::findExecutable("xandikos").isEmpty())
            return false;
        m_port = ClosedPort();
        m_process.start("xandikos", {"--defaults", "-d", m_dir.path(), "-l", "127.0.0.1", "-p",
                                     QString::number(m_port)});
        for (int i = 0; i < 100; ++i) {
            QTcpSocket probe;
            probe.connectToHost("127.0.0.1", m_port);
            if (probe.waitForConnected(100))
                return true;
            QTest::qWait(100);
        }
        return false;
    }
    ~Xandikos()
    {
        m_process.terminate();
        m_process.waitForFinished();
    }
    QString Base() const { return QString("http://user@127.0.0.1:%1/").arg(m_port); }
    bool MakeBook(const QString &path, const QByteArray &name)
    {
        QNetworkAccessManager network;
        QNetworkRequest request(QUrl(QString("http://127.0.0.1:%1%2").arg(m_port).arg(path)));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/xml");
        std::unique_ptr<QNetworkReply> reply(network.sendCustomRequest(
            request, "MKCOL",
            "<?xml version=\"1.0\"?><D:mkcol xmlns:D=\"DAV:\" "
            "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop><D:resourcetype>"
            "<D:collection/><C:addressbook/></D:resourcetype><D:displayname>" +
                name + "</D:displayname></D:prop></D:set></D:mkcol>"));
        return QTest::qWaitFor([&] { return reply->isFinished(); }, 10000) &&
               reply->error() == QNetworkReply::NoError;
    }
    int Port() const { return m_port; }
    bool Put(const QString &name, const QByteArray &card)
    {
        QNetworkAccessManager network;
        QNetworkRequest request(QUrl(
            QString("http://127.0.0.1:%1/user/contacts/addressbook/%2").arg(m_port).arg(name)));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "text/vcard");
        std::unique_ptr<QNetworkReply> reply(network.put(request, card));
        return QTest::qWaitFor([&] { return reply->isFinished(); }, 10000) &&
               reply->error() == QNetworkReply::NoError;
    }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};

class RemoteSyncTest : public testing::Test {
protected:
    void SetUp() override
    {
        StartWithDateList(m_dir.path(), "");
        StoreSetting("Startday", 0);
        StoreSetting("Stopday", 30);
        qputenv("FESTMARK_PASSWORD", "geheim");
    }
    void TearDown() override { qunsetenv("FESTMARK_PASSWORD"); }

    CFestelForm &Form(const QString &source)
    {
        StoreSetting("Sources", QStringList{source});
        m_form = std::make_unique<CFestelForm>(m_boxes, m_sounds);
        m_form->RemoteSources().SetAskPassword(
            [this](const QString &, const QString &, const QString &) {
                ++m_asked;
                return std::optional<QString>("getippt");
            });
        m_form->SetToday([] { return 2026y / March / 14; });
        m_form->RunScan();
        return *m_form;
    }
    QLabel *NoteLabel() const
    {
        for (QLabel *label : m_form->findChildren<QLabel *>())
            if (label->accessibleName() == "Hinweis zu den Adressbüchern")
                return label;
        return nullptr;
    }
    QStringList Rows() const { return ShownRows(*m_form); }

    QTemporaryDir m_dir;
    RecordingBoxes m_boxes;
    RecordingSounds m_sounds;
    std::unique_ptr<CFestelForm> m_form;
    int m_asked = 0;
};

TEST_F(RemoteSyncTest, CachedRowsShowAtOnceAndAServerAwayIsToldBesideThem)
{
    const QString source = QString("http://anna@127.0.0.1:%1/").arg(ClosedPort());
    AddressBookCache cache;
    cache.saved = QDateTime(QDate(2026, 3, 1), QTime(9, 30));
    cache.books.push_back({"http://127.0.0.1/anna/privat/", "Privat", "", {}});
    cache.books.back().cards.push_back(
        {"/anna/privat/a.vcf", "\"1\"", Card("a", "Anna", "1976-03-14")});
    ASSERT_TRUE(SaveAddressBookCache(AddressBookCachePath(source), cache, nullptr));

    Form(source);
    EXPECT_TRUE(Rows().join('\n').contains("Anna wird 50 Jahre alt!"))
        << Rows().join('\n').toStdString();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return NoteLabel()->text().contains("nicht erreichbar"); }, 10000));
    EXPECT_FALSE(NoteLabel()->isHidden());
    EXPECT_TRUE(NoteLabel()->text().contains("nicht erreichbar"))
        << NoteLabel()->text().toStdString();
    EXPECT_TRUE(NoteLabel()->text().contains("Stand vom 01.03.2026 09:30"));
    EXPECT_TRUE(m_boxes.texts.isEmpty()) << m_boxes.texts.join('\n').toStdString();
}

TEST_F(RemoteSyncTest, AnAddressBookNeverReadGivesNoBoxAndItsRowsArriveFromTheServer)
{
    Xandikos server;
    if (!server.Start())
        GTEST_SKIP() << "xandikos is not installed";
    ASSERT_TRUE(server.Put("b.vcf", Card("b", "Bert", "2016-03-20")));

    Form(server.Base());
    EXPECT_TRUE(m_boxes.texts.isEmpty()) << m_boxes.texts.join('\n').toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Rows().join('\n').contains("Bert wird 10"); }, 15000))
        << Rows().join('\n').toStdString();

    // Another read, within the quarter of an hour, is not made; after it, a new card comes.
    ASSERT_TRUE(server.Put("c.vcf", Card("c", "Cora", "2006-03-21")));
    m_form->RunScan();
    QTest::qWait(500);
    EXPECT_FALSE(Rows().join('\n').contains("Cora"));
}

TEST_F(RemoteSyncTest, WithoutAStoredPasswordTheUserIsAsked)
{
    Xandikos server;
    if (!server.Start())
        GTEST_SKIP() << "xandikos is not installed";
    ASSERT_TRUE(server.Put("b.vcf", Card("b", "Bert", "2016-03-20")));
    qunsetenv("FESTMARK_PASSWORD");

    Form(server.Base());
    ASSERT_TRUE(QTest::qWaitFor([&] { return Rows().join('\n').contains("Bert"); }, 15000))
        << NoteLabel()->text().toStdString();
    EXPECT_EQ(m_asked, 1);
}

struct DialogCase {
    const char *name;
    bool chooseAll;
};

class RemoteBookDlgTest : public testing::TestWithParam<DialogCase> {};

TEST_P(RemoteBookDlgTest, FindsTheAccountsAddressBooksAndGivesTheChosenOnes)
{
    Xandikos server;
    if (!server.Start())
        GTEST_SKIP() << "xandikos is not installed";
    ASSERT_TRUE(server.MakeBook("/user/contacts/arbeit/", "Arbeit"));

    CRemoteBookDlg dialog;
    const QList<QLineEdit *> fields = dialog.findChildren<QLineEdit *>();
    ASSERT_EQ(fields.size(), 3);
    QTest::keyClicks(fields[0], QString("http://127.0.0.1:%1").arg(server.Port()));
    QTest::keyClicks(fields[1], "user");
    QTest::keyClicks(fields[2], "geheim");
    QPushButton *find = nullptr;
    for (QPushButton *button : dialog.findChildren<QPushButton *>())
        if (button->text() == "&Suchen")
            find = button;
    ASSERT_NE(find, nullptr);
    QTest::mouseClick(find, Qt::LeftButton);
    QListWidget &books = *dialog.findChild<QListWidget *>();
    ASSERT_TRUE(QTest::qWaitFor([&] { return books.count() == 2; }, 10000));
    EXPECT_TRUE(books.item(0)->text().contains("addressbook"));
    EXPECT_TRUE(books.item(1)->text().startsWith("Arbeit"));
    if (!GetParam().chooseAll)
        books.item(0)->setCheckState(Qt::Unchecked);
    dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();

    const QString base = QString("http://user@127.0.0.1:%1/").arg(server.Port());
    EXPECT_EQ(dialog.sources(), GetParam().chooseAll ? QStringList{base}
                                                     : QStringList{base + "user/contacts/arbeit/"});
}

INSTANTIATE_TEST_SUITE_P(Choices, RemoteBookDlgTest,
                         testing::Values(DialogCase{"AllTheAccountsBooks", true},
                                         DialogCase{"OneOfThem", false}),
                         [](const auto &info) { return info.param.name; });

} // namespace
