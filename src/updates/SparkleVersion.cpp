// SPDX-License-Identifier: GPL-3.0-or-later
#include "updates/SparkleVersion.h"

#include <QStringList>

namespace {

enum class Kind { Number, Letters, Separator, Dash };

Kind kindOf(QChar c)
{
    if (c == u'-')
        return Kind::Dash;
    if (c == u'.')
        return Kind::Separator;
    if (c.isDigit())
        return Kind::Number;
    if (c.isSpace() || c.isPunct())
        return Kind::Separator;
    return Kind::Letters;
}

QStringList split(const QString &version)
{
    QStringList parts;
    QString run;
    Kind runKind = Kind::Separator;
    for (const QChar c : version) {
        const Kind kind = kindOf(c);
        if (kind == Kind::Dash)
            break;
        // Every separator character stands alone, so "1..2" and "1.2" do not look alike.
        if (!run.isEmpty() && (kind != runKind || kind == Kind::Separator)) {
            parts << run;
            run.clear();
        }
        run += c;
        runKind = kind;
    }
    if (!run.isEmpty())
        parts << run;
    return parts;
}

// How many parts form the leading "number(.number)*" chain.
qsizetype leadingChainEnd(const QStringList &parts, int *numbers)
{
    qsizetype i = 0;
    *numbers = 0;
    while (i < parts.size() && kindOf(parts[i].front()) == Kind::Number) {
        ++*numbers;
        ++i;
        if (i + 1 < parts.size() && parts[i] == u"." && kindOf(parts[i + 1].front()) == Kind::Number)
            ++i;
        else
            break;
    }
    return i;
}

// "1.0" and "1.0.0" name the same release, also in "1.0pre1" against "1.0.0pre1": pad the
// shorter leading number chain with ".0" until both have as many numbers.
void balance(QStringList &a, QStringList &b)
{
    int numbersA = 0;
    int numbersB = 0;
    qsizetype endA = leadingChainEnd(a, &numbersA);
    qsizetype endB = leadingChainEnd(b, &numbersB);
    if (numbersA == 0 || numbersB == 0)
        return;
    while (numbersA < numbersB) {
        a.insert(endA, QStringLiteral("0"));
        a.insert(endA, QStringLiteral("."));
        endA += 2;
        ++numbersA;
    }
    while (numbersB < numbersA) {
        b.insert(endB, QStringLiteral("0"));
        b.insert(endB, QStringLiteral("."));
        endB += 2;
        ++numbersB;
    }
}

// Numbers of any length, without overflowing an integer type.
int compareNumbers(QStringView a, QStringView b)
{
    while (a.size() > 1 && a.front() == u'0')
        a = a.mid(1);
    while (b.size() > 1 && b.front() == u'0')
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace

int SparkleVersion::compare(const QString &a, const QString &b)
{
    QStringList partsA = split(a);
    QStringList partsB = split(b);
    balance(partsA, partsB);

    const qsizetype n = std::min(partsA.size(), partsB.size());
    for (qsizetype i = 0; i < n; ++i) {
        const Kind kindA = kindOf(partsA[i].front());
        const Kind kindB = kindOf(partsB[i].front());
        if (kindA == kindB) {
            if (kindA == Kind::Number) {
                if (const int c = compareNumbers(partsA[i], partsB[i]))
                    return c;
            } else if (kindA == Kind::Letters) {
                const int c = QString::compare(partsA[i], partsB[i], Qt::CaseSensitive);
                if (c != 0)
                    return c < 0 ? -1 : 1;
            }
            continue;
        }
        // Letters mark a pre-release, so anything else at the same place is newer.
        if (kindA != Kind::Letters && kindB == Kind::Letters)
            return 1;
        if (kindA == Kind::Letters && kindB != Kind::Letters)
            return -1;
        // A number against a separator: the number carries on the version, so it is newer.
        return kindA == Kind::Number ? 1 : -1;
    }

    if (partsA.size() == partsB.size())
        return 0;
    const bool aLonger = partsA.size() > partsB.size();
    const QString &extra = aLonger ? partsA[n] : partsB[n];
    // A trailing run of letters ("1.0b") is a pre-release of the shorter version; any
    // other trailing part extends it.
    if (kindOf(extra.front()) == Kind::Letters)
        return aLonger ? -1 : 1;
    return aLonger ? 1 : -1;
}
