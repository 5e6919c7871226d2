#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <functional>

// The largest realistic data folder: HorDay.ini with 366 named days,
// HorDay2.ini with 366 days off, and the schedule files of the month before,
// the month of and the month after `month`, 31 entries of about 1000 bytes of
// Japanese text each.
void WriteLargestMonthData(const QString& dataDir, QDate month);

// Median of the samples.
double Median(QList<double> samples);

// Runs `run` warmup + runs times and returns the durations of the last runs
// in microseconds.
QList<double> TimeRunsMicroseconds(int warmup, int runs, const std::function<void()>& run);
