#include "person/BirthdaysDialog.h"

#include "store/PersonTexts.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

BirthdaysDialog::BirthdaysDialog(std::vector<Birthday> birthdays, const QDate& today,
                                 QWidget* parent)
    : QDialog(parent), birthdays_(std::move(birthdays)) {
    setObjectName(QStringLiteral("Form_DogumGunleri"));
    setWindowTitle(QStringLiteral("Doğum Günleri"));
    resize(560, 420);

    List_DogumGunleri = new QTreeWidget(this);
    List_DogumGunleri->setRootIsDecorated(false);
    List_DogumGunleri->setUniformRowHeights(true);
    List_DogumGunleri->setAllColumnsShowFocus(true);
    List_DogumGunleri->setHeaderLabels({QStringLiteral("Gün"), QStringLiteral("Ad Soyad"),
                                        QStringLiteral("Yaşı"), QStringLiteral("Grup")});
    List_DogumGunleri->setAccessibleName(QStringLiteral("Doğum günleri"));
    auto* label =
        new QLabel(QStringLiteral("&Bugün (%1) ve önümüzdeki %2 gün içinde doğum günü olanlar:")
                       .arg(today.toString(u"dd.MM.yyyy"))
                       .arg(kComingBirthdayDays),
                   this);
    label->setBuddy(List_DogumGunleri);
    label->setWordWrap(true);
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    for (const Birthday& b : birthdays_) {
        const qint64 days = today.daysTo(b.date);
        const QString day = days == 0   ? QStringLiteral("Bugün")
                            : days == 1 ? QStringLiteral("Yarın")
                                        : turkish.toString(b.date, u"d MMMM dddd");
        const PersonRecord& p = *b.person;
        auto* item = new QTreeWidgetItem(List_DogumGunleri,
                                         {day, QString(p.FirstName + u' ' + p.Surname).trimmed(),
                                          QString::number(b.age), groupTitle(p.GroupPath)});
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    // The name gives way, so the age and the group stay in sight.
    QHeaderView* head = List_DogumGunleri->header();
    head->setStretchLastSection(false);
    head->setSectionResizeMode(QHeaderView::ResizeToContents);
    head->setSectionResizeMode(1, QHeaderView::Stretch);
    if (!birthdays_.empty())
        List_DogumGunleri->setCurrentItem(List_DogumGunleri->topLevelItem(0));

    Button_Goster = new QPushButton(QStringLiteral("&Göster"), this);
    Button_Kapat = new QPushButton(QStringLiteral("&Kapat"), this);
    // Enter in the list shows the person; no button answers it as well.
    Button_Goster->setAutoDefault(false);
    Button_Kapat->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button_Goster);
    buttons->addWidget(Button_Kapat);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(List_DogumGunleri, 1);
    layout->addLayout(buttons);
    setTabOrder(List_DogumGunleri, Button_Goster);
    setTabOrder(Button_Goster, Button_Kapat);

    connect(List_DogumGunleri, &QTreeWidget::itemActivated, this, &BirthdaysDialog::showChosen);
    connect(Button_Goster, &QPushButton::clicked, this, &BirthdaysDialog::showChosen);
    connect(Button_Kapat, &QPushButton::clicked, this, &QDialog::reject);
}

void BirthdaysDialog::showChosen() {
    const int row = List_DogumGunleri->indexOfTopLevelItem(List_DogumGunleri->currentItem());
    if (row < 0)
        return;
    if (show_)
        show_(birthdays_[size_t(row)].person);
    accept();
}
