#pragma once

#include <QDate>
#include <QList>
#include <QString>

// Japan's national holidays, computed from the law for any year from 1948
// (the law took effect on 20 July 1948); later years than the last published
// one follow the same rules. Names are those of the Cabinet Office's list,
// except that the days it calls "休日" by rule are named after their rule.
struct NationalHoliday {
    enum Kind {
        Holiday,    // a 祝日, or a day declared a holiday once by its own law
        Substitute, // 振替休日
        Between,    // 国民の休日: a day between two 祝日
    };
    QDate Date;
    QString Name;
    Kind Rule = Holiday;
};

// The holidays of one year in date order; empty before 1948.
QList<NationalHoliday> NationalHolidays(int year);

// Day of March / September of the equinox by the usual approximation (exact
// for 1900 to 2099); 0 for years before 1900.
int VernalEquinoxDay(int year);
int AutumnalEquinoxDay(int year);
