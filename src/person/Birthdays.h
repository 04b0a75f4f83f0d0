#pragma once

#include "store/PersonRecord.h"

#include <QDate>

#include <utility>
#include <vector>

// A birthday of a person that falls on a given day.
struct Birthday {
    const PersonRecord* person;
    QDate date; // the day it is kept on
    int age;    // the age the person turns that day
};

// The coming birthdays are today's and those of the next 30 days.
inline constexpr int kComingBirthdayDays = 30;

// The day a person born on born keeps the birthday in year: 29 February
// falls on 28 February in a year without it.
QDate birthdayIn(const QDate& born, int year);

// The birthdays that fall from first to last (both kept, at most a year
// apart), by day and then by name (NameOrder). Persons without a birth
// date, and days before the first birthday, give none.
std::vector<Birthday> birthdaysBetween(const std::vector<const PersonRecord*>& persons,
                                       const QDate& first, const QDate& last);

// The days of a month the next time it comes: this year's from today's
// month on, next year's for a month already past.
std::pair<QDate, QDate> monthSpan(int month, const QDate& today);

// "Mart 2027", or "10.12.2026 – 09.01.2027" for the coming days.
QString spanTitle(const QDate& first, const QDate& last, bool wholeMonth);
