#pragma once

#include "DateList.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

#include <optional>
#include <string>
#include <vector>

// An address book export (vCard 2.1, 3.0 and 4.0) read as a date list, in the order of the
// cards: each card's birthday (BDAY) gives "<name> wird # alt", its wedding day "<name>: #
// verheiratet" (ANNIVERSARY and the vendors' own names for it: Evolution's, Outlook's, KDE's,
// Apple's and Google's labelled X-ABDATE, Android's contact event), and a date with a label
// of its own "<name>: # <label>". A day without a year comes back every year: "<name> hat
// Geburtstag!". The name is FN, else the given and family names of N, else ORG. Cards without
// a date and group cards are passed over; a date that cannot be read, or a card with dates
// and no name, is reported as a bad line at its BEGIN:VCARD.

// Whether a line opens a card (the first line of such a file).
bool IsVCardBegin(QByteArrayView line);

class VCardReader {
public:
    explicit VCardReader(DateList &list);

    // One physical line, its line break removed; folded lines are joined here.
    void Line(QByteArrayView raw, int lineNumber);
    void Finish(); // an unfinished card is reported

private:
    struct Date {
        std::string value;      // as written
        bool omitsYear = false; // Apple's X-APPLE-OMIT-YEAR
        bool preferred = false;
    };
    struct Labelled { // Apple's and Google's grouped X-ABDATE and X-ABLabel
        QByteArray group;
        Date date;
        std::string label;
    };
    struct Card {
        int beginLine = 0;
        bool isGroup = false;
        std::string formattedName, structuredName, organization;
        std::optional<Date> birthday, anniversary, death;
        std::vector<Labelled> labelled;
        QHash<QByteArray, std::size_t> groups; // of `labelled`
    };

    void Append(QByteArrayView part); // to the logical line
    bool QuotedPrintableSoFar() const;
    void Property(const QByteArray &line);
    void EndCard();
    Labelled &LabelledOfGroup(const QByteArray &group);
    // False, with a bad line, where the date cannot be read.
    bool AddDate(const std::string &name, const Date &date, const std::string &what,
                 const std::string &nameText, const std::string &suffixText,
                 const std::string &yearlessText);

    DateList &m_list;
    bool m_inCard = false;
    Card m_card;
    QByteArray m_logical;       // the line being unfolded (of a property that is read)
    int m_logicalLine = 0;      // where it began
    bool m_open = false;        // a logical line has begun
    bool m_wanted = true;       // its property is read
    bool m_headerKnown = false; // its colon has come: name and parameters are known
    bool m_quotedPrintable = false;
    qsizetype m_colon = -1;
    qsizetype m_searched = 0; // bytes of m_logical searched for the colon
    char m_lastByte = '\0';
};
