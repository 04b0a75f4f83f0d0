#pragma once

#include <QString>

// How the coded fields of a person read on paper and on screen.

// "Erkek", "Kadın", or empty.
QString sexText(QChar sex);
// "Bekar", "Evli", "Dul", or empty.
QString maritalText(QChar status);
// "dd.mm.yyyy", or empty when not given.
QString birthDateText(double birthDate);
// The name of a group as a heading shows it: "Aile / Kuzenler".
QString groupTitle(const QString& groupPath);
