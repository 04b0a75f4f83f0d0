#include "store/RecordJson.h"

#include "store/BirthDate.h"

#include <QJsonArray>

namespace {

QJsonValue charValue(QChar c) {
    return c.isNull() ? QString() : QString(c);
}

QJsonArray groupsJson(const GroupNode& parent) {
    QJsonArray out;
    for (const auto& child : parent.children)
        out.append(QJsonObject{{QStringLiteral("name"), child->Name},
                               {QStringLiteral("memberCount"), qint64(child->MemberCount)},
                               {QStringLiteral("path"), BuildGroupPath(child.get())},
                               {QStringLiteral("children"), groupsJson(*child)}});
    return out;
}

} // namespace

QJsonObject personJson(const PersonRecord& p) {
    const QDate date = birthdate::toDate(p.BirthDate);
    return QJsonObject{
        {QStringLiteral("RecordNo"), p.RecordNo},
        {QStringLiteral("FirstName"), p.FirstName},
        {QStringLiteral("Surname"), p.Surname},
        {QStringLiteral("MotherName"), p.MotherName},
        {QStringLiteral("FatherName"), p.FatherName},
        {QStringLiteral("BirthPlace"), p.BirthPlace},
        {QStringLiteral("Firm"), p.Firm},
        {QStringLiteral("Department"), p.Department},
        {QStringLiteral("Profession"), p.Profession},
        {QStringLiteral("HomeAddress1"), p.HomeAddress1},
        {QStringLiteral("HomeAddress2"), p.HomeAddress2},
        {QStringLiteral("HomeCity"), p.HomeCity},
        {QStringLiteral("HomePostCode"), p.HomePostCode},
        {QStringLiteral("WorkAddress1"), p.WorkAddress1},
        {QStringLiteral("WorkAddress2"), p.WorkAddress2},
        {QStringLiteral("WorkCity"), p.WorkCity},
        {QStringLiteral("WorkPostCode"), p.WorkPostCode},
        {QStringLiteral("GroupPath"), p.GroupPath},
        {QStringLiteral("RecordedAt"), p.RecordedAt},
        {QStringLiteral("EditedAt"), p.EditedAt},
        {QStringLiteral("BirthDate"), p.BirthDate},
        {QStringLiteral("BirthDateText"),
         p.BirthDate != 0 ? QJsonValue(date.toString(u"dd.MM.yyyy")) : QJsonValue()},
        {QStringLiteral("PictureIndex"), p.PictureIndex},
        {QStringLiteral("Sex"), charValue(p.Sex)},
        {QStringLiteral("MaritalStatus"), charValue(p.MaritalStatus)},
        {QStringLiteral("Contacts"), QJsonArray::fromStringList(p.Contacts)},
        {QStringLiteral("Pictures"), QJsonArray::fromStringList(p.Pictures)},
        {QStringLiteral("Notes"), QJsonArray::fromStringList(p.Notes)},
        {QStringLiteral("Identity"), p.Identity},
    };
}

QJsonObject recordFileJson(const RecordFileData& data) {
    const FileSettings defaults;
    QJsonObject checks;
    for (int c = CheckID; c <= CheckGrup; ++c)
        checks.insert(kFindCheckKeys[size_t(c)], data.findChecks[size_t(c)].value_or(false));
    QJsonArray persons;
    for (const auto& p : data.persons)
        persons.append(personJson(*p));
    QJsonArray different;
    for (const QStringList& identities : data.differentPersons)
        different.append(QJsonArray::fromStringList(identities));
    return QJsonObject{
        {QStringLiteral("focusedRecordNo"),
         data.focusedRecordNo ? QJsonValue(*data.focusedRecordNo) : QJsonValue()},
        {QStringLiteral("focusedGroupPath"), data.focusedGroupPath},
        {QStringLiteral("groups"), groupsJson(*data.groups)},
        {QStringLiteral("find"),
         QJsonObject{{QStringLiteral("items"), QJsonArray::fromStringList(data.findItems)},
                     {QStringLiteral("checks"), checks}}},
        {QStringLiteral("settings"),
         QJsonObject{
             {QStringLiteral("SaveAndClose"), data.saveAndClose.value_or(defaults.saveAndClose)},
             {QStringLiteral("FindWords"), data.findWords.value_or(defaults.findWords)},
             {QStringLiteral("Panel_Grup_Height"),
              data.panelGrupHeight.value_or(defaults.panelGrupHeight)},
             {QStringLiteral("Panel_Main_Width"),
              data.panelMainWidth.value_or(defaults.panelMainWidth)}}},
        {QStringLiteral("differentPersons"), different},
        {QStringLiteral("persons"), persons},
        {QStringLiteral("error"),
         data.error ? QJsonValue(QJsonObject{{QStringLiteral("message"), *data.error}})
                    : QJsonValue()},
    };
}
