#include "nationalholidays.h"

#include <algorithm>
#include <cmath>

namespace {

// The n-th Monday of a month (the "Happy Monday" holidays).
QDate NthMonday(int year, int month, int n)
{
    const QDate first(year, month, 1);
    const int toMonday = (8 - first.dayOfWeek()) % 7; // Qt: 1 Monday ... 7 Sunday
    return first.addDays(toMonday + 7 * (n - 1));
}

// The usual approximation of the equinox day from the mean tropical year; the
// constants change at 1980 and 2100 to stay on the astronomical tables.
int EquinoxDay(int year, double before1980, double from1980, double from2100)
{
    if (year < 1900)
        return 0;
    const int y = year - 1980;
    // Before 1980 the leap-year term counts from 1983, truncated towards zero.
    if (year < 1980)
        return int(std::floor(before1980 + 0.242194 * y - (year - 1983) / 4));
    const double base = year < 2100 ? from1980 : from2100;
    return int(std::floor(base + 0.242194 * y - y / 4));
}

// Days declared holidays once by their own laws, with the names the
// published list gives them. 30 April and 2 May 2019 lie between two
// holidays; the list names them "休日" like the one-offs around them.
struct OneOff {
    int y, m, d;
    const char16_t* name;
    NationalHoliday::Kind rule;
};
constexpr OneOff OneOffs[] = {
    {1959, 4, 10, u"結婚の儀", NationalHoliday::Holiday},
    {1989, 2, 24, u"大喪の礼", NationalHoliday::Holiday},
    {1990, 11, 12, u"即位礼正殿の儀", NationalHoliday::Holiday},
    {1993, 6, 9, u"結婚の儀", NationalHoliday::Holiday},
    {2019, 4, 30, u"休日", NationalHoliday::Between},
    {2019, 5, 1, u"休日（祝日扱い）", NationalHoliday::Holiday},
    {2019, 5, 2, u"休日", NationalHoliday::Between},
    {2019, 10, 22, u"休日（祝日扱い）", NationalHoliday::Holiday},
};

// The law took effect on this day; the substitute rule on 12 April 1973, the
// rule for a day between two holidays on 27 December 1985.
const QDate LawStart(1948, 7, 20);
const QDate SubstituteStart(1973, 4, 12);
const QDate BetweenStart(1985, 12, 27);

// The 祝日 of a year, unordered.
QList<NationalHoliday> FixedAndMoving(int y)
{
    QList<NationalHoliday> days;
    const auto add = [&](QDate date, const char16_t* name) {
        days.append({date, QString::fromUtf16(name), NationalHoliday::Holiday});
    };
    const auto on = [&](int m, int d, const char16_t* name) { add(QDate(y, m, d), name); };

    if (y >= 1949) {
        on(1, 1, u"元日");
        add(y < 2000 ? QDate(y, 1, 15) : NthMonday(y, 1, 2), u"成人の日");
        on(3, VernalEquinoxDay(y), u"春分の日");
        on(4, 29, y < 1989 ? u"天皇誕生日" : y < 2007 ? u"みどりの日" : u"昭和の日");
        on(5, 3, u"憲法記念日");
        on(5, 5, u"こどもの日");
    }
    if (y >= 1967)
        on(2, 11, u"建国記念の日");
    if (y >= 2007)
        on(5, 4, u"みどりの日");
    if (y >= 1966) {
        add(y < 2003 ? QDate(y, 9, 15) : NthMonday(y, 9, 3), u"敬老の日");
    }
    on(9, AutumnalEquinoxDay(y), u"秋分の日");
    on(11, 3, u"文化の日");
    on(11, 23, u"勤労感謝の日");
    if (y >= 1989 && y <= 2018)
        on(12, 23, u"天皇誕生日");
    if (y >= 2020)
        on(2, 23, u"天皇誕生日");

    // 2020 and 2021 moved three holidays for the Olympic Games.
    if (y == 2020) {
        on(7, 23, u"海の日");
        on(7, 24, u"スポーツの日");
        on(8, 10, u"山の日");
    } else if (y == 2021) {
        on(7, 22, u"海の日");
        on(7, 23, u"スポーツの日");
        on(8, 8, u"山の日");
    } else {
        if (y >= 1996)
            add(y < 2003 ? QDate(y, 7, 20) : NthMonday(y, 7, 3), u"海の日");
        if (y >= 2016)
            on(8, 11, u"山の日");
        if (y >= 1966 && y < 2000)
            on(10, 10, u"体育の日");
        else if (y >= 2000 && y < 2019)
            add(NthMonday(y, 10, 2), u"体育の日");
        else if (y == 2019) // the published list already gives the coming name
            add(NthMonday(y, 10, 2), u"体育の日（スポーツの日）");
        else if (y > 2021)
            add(NthMonday(y, 10, 2), u"スポーツの日");
    }

    for (const OneOff& o : OneOffs)
        if (o.y == y)
            days.append({QDate(o.y, o.m, o.d), QString::fromUtf16(o.name), o.rule});

    // In 1948 only the days after the law took effect count.
    days.removeIf([](const NationalHoliday& h) { return h.Date < LawStart; });
    return days;
}

} // namespace

int VernalEquinoxDay(int year)
{
    return EquinoxDay(year, 20.8357, 20.8431, 21.8510);
}

int AutumnalEquinoxDay(int year)
{
    return EquinoxDay(year, 23.2588, 23.2488, 24.2488);
}

QList<NationalHoliday> NationalHolidays(int year)
{
    if (year < LawStart.year())
        return {};
    QList<NationalHoliday> days = FixedAndMoving(year);

    const auto find = [&](QDate d) {
        return std::find_if(days.cbegin(), days.cend(), [d](const NationalHoliday& h) { return h.Date == d; });
    };
    // Only a 祝日 makes a substitute or encloses a day; the days made by
    // these two rules do not.
    const auto isShukujitsu = [&](QDate d) {
        const auto it = find(d);
        return it != days.cend() && it->Rule == NationalHoliday::Holiday;
    };

    const QList<NationalHoliday> shukujitsu = days;
    const QString substituteName = QStringLiteral("振替休日");
    for (const NationalHoliday& h : shukujitsu) {
        if (h.Rule != NationalHoliday::Holiday || h.Date < SubstituteStart || h.Date.dayOfWeek() != Qt::Sunday)
            continue;
        // Until 2006 only the Monday, and only when it is no 祝日 itself;
        // from 2007 the next day that is no 祝日.
        QDate next = h.Date.addDays(1);
        if (year >= 2007) {
            while (isShukujitsu(next))
                next = next.addDays(1);
        } else if (isShukujitsu(next)) {
            continue;
        }
        if (next.year() == year && find(next) == days.cend())
            days.append({next, substituteName, NationalHoliday::Substitute});
    }

    const QString betweenName = QStringLiteral("国民の休日");
    for (const NationalHoliday& h : shukujitsu) {
        const QDate between = h.Date.addDays(1);
        if (between < BetweenStart || between.year() != year || find(between) != days.cend())
            continue;
        // Until 2006 a Sunday between two holidays stayed a plain Sunday.
        if (year < 2007 && between.dayOfWeek() == Qt::Sunday)
            continue;
        if (isShukujitsu(h.Date) && isShukujitsu(between.addDays(1)))
            days.append({between, betweenName, NationalHoliday::Between});
    }

    std::sort(days.begin(), days.end(),
              [](const NationalHoliday& a, const NationalHoliday& b) { return a.Date < b.Date; });
    return days;
}
