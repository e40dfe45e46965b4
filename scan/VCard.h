#pragma once

#include "DateList.h"

#include <QByteArray>
#include <QByteArrayView>

#include <string>
#include <vector>

// An address book export (vCard 2.1, 3.0 and 4.0) read as a date list: each card's birthday
// (BDAY) gives "<name> wird # alt", its wedding day (ANNIVERSARY, X-ANNIVERSARY or
// X-EVOLUTION-ANNIVERSARY) "<name>: # verheiratet", in the order of the cards, the birthday
// first. The name is FN, or the given and family names of N. A card without a name, without
// a date or with a date without a year is reported as a bad line at its BEGIN:VCARD.

// Whether a line opens a card (the first line of such a file).
bool IsVCardBegin(QByteArrayView line);

class VCardReader {
public:
    explicit VCardReader(DateList &list);

    // One physical line, its line break removed; folded lines are joined here.
    void Line(QByteArrayView raw, int lineNumber);
    void Finish(); // an unfinished card is reported

private:
    struct Card {
        int beginLine = 0;
        std::string formattedName, structuredName;
        std::string birthday, anniversary; // the raw date values
        bool birthdayOmitsYear = false, anniversaryOmitsYear = false;
    };

    void Property(const QByteArray &line);
    void EndCard();
    void AddDate(const std::string &name, const std::string &value, bool omitsYear,
                 const char *what, const char *nameText, const char *suffixText);

    DateList &m_list;
    bool m_inCard = false;
    Card m_card;
    QByteArray m_logical;  // the line being unfolded
    int m_logicalLine = 0; // where it began
};
