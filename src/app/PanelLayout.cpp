#include "app/PanelLayout.h"

#include "app/VerticalCaption.h"
#include "store/RecordFile.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QSplitter>

#include <algorithm>

namespace {

// A panel with its vertical caption at the left edge.
QWidget* captioned(const QString& caption, QWidget* content, const char* name, QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString::fromLatin1(name));
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* label = new VerticalCaption(caption, panel);
    layout->addWidget(label);
    layout->addWidget(content, 1);
    // Never shorter than its caption, whatever height a file stored.
    panel->setMinimumHeight(label->sizeHint().height());
    return panel;
}

} // namespace

PanelLayout::PanelLayout(QWidget* groupTree, QWidget* personList, QWidget* details, QWidget* parent)
    : QObject(parent) {
    Panel_Grup =
        captioned(QStringLiteral("Grup ve Alt Gruplar    "), groupTree, "Panel_Grup", parent);
    QWidget* panelPers =
        captioned(QStringLiteral("Personel Listesi      "), personList, "Panel_Pers", parent);

    Splitter1 = new QSplitter(Qt::Vertical, parent);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->addWidget(Panel_Grup);
    Splitter1->addWidget(panelPers);
    Splitter1->setChildrenCollapsible(false);
    Panel_Main = Splitter1;
    Panel_Main->setMinimumWidth(150);

    Splitter2 = new QSplitter(Qt::Horizontal, parent);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->addWidget(Panel_Main);
    Splitter2->addWidget(details);
    Splitter2->setChildrenCollapsible(false);
    // What the window gains or loses goes to the person list and the
    // detail pages; the stored panels keep their sizes.
    Splitter1->setStretchFactor(1, 1);
    Splitter2->setStretchFactor(1, 1);
    connect(Splitter1, &QSplitter::splitterMoved, this, [this] { grupMoved_ = true; });
    connect(Splitter2, &QSplitter::splitterMoved, this, [this] { mainMoved_ = true; });
    Splitter2->installEventFilter(this);
}

QWidget* PanelLayout::widget() const {
    return Splitter2;
}

void PanelLayout::showSizes(const FileSettings& settings) {
    grupHeight_ = settings.panelGrupHeight;
    mainWidth_ = settings.panelMainWidth;
    grupMoved_ = mainMoved_ = false;
    pending_ = true;
    if (Splitter2->isVisible())
        applySizes();
}

bool PanelLayout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Splitter2 && event->type() == QEvent::Resize && pending_)
        applySizes();
    return QObject::eventFilter(watched, event);
}

// The sizes a splitter is given are those of its panes, without the
// handle between them: with the handle counted in, both panes shrink.
void PanelLayout::applySizes() {
    pending_ = false;
    const int width = Splitter2->width() - Splitter2->handleWidth();
    Splitter2->setSizes({mainWidth_, std::max(0, width - mainWidth_)});
    // The left panel is as high as the outer splitter.
    const int height = Splitter2->height() - Splitter1->handleWidth();
    Splitter1->setSizes({grupHeight_, std::max(0, height - grupHeight_)});
}

void PanelLayout::storeSizes(FileSettings& settings) const {
    if (grupMoved_)
        settings.panelGrupHeight = Panel_Grup->height();
    if (mainMoved_)
        settings.panelMainWidth = Panel_Main->width();
}
