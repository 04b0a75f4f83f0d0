#include "store/PersonTexts.h"

#include "store/BirthDate.h"
#include "store/GroupTree.h"

QString sexText(QChar sex) {
    return sex == u'M'   ? QStringLiteral("Erkek")
           : sex == u'F' ? QStringLiteral("Kadın")
                         : QString();
}

QString maritalText(QChar status) {
    return status == u'E'   ? QStringLiteral("Bekar")
           : status == u'B' ? QStringLiteral("Evli")
           : status == u'D' ? QStringLiteral("Dul")
                            : QString();
}

QString birthDateText(double birthDate) {
    return birthDate != 0 ? birthdate::toDate(birthDate).toString(u"dd.MM.yyyy") : QString();
}

QString groupTitle(const QString& groupPath) {
    return groupPath == kNoGroupPath ? groupPath
                                     : splitGroupPath(groupPath).join(QStringLiteral(" / "));
}
