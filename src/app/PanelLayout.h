#pragma once

#include <QObject>

class QSplitter;
class QWidget;
struct FileSettings;

// The panels of the main window: the group tree above the person list on
// the left, the detail pages on the right, with the two splitters whose
// positions a record file stores.
class PanelLayout : public QObject {
    Q_OBJECT
public:
    PanelLayout(QWidget* groupTree, QWidget* personList, QWidget* details, QWidget* parent);

    // The outer splitter: the window's central widget.
    QWidget* widget() const;
    // Shows the stored sizes exactly, as far as the window can hold them;
    // before the window is laid out, once it is.
    void showSizes(const FileSettings& settings);
    // What saving writes: a size the user dragged, else the number that
    // was shown, so that opening and saving never move a panel.
    void storeSizes(FileSettings& settings) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applySizes();

    QSplitter* Splitter1;
    QSplitter* Splitter2;
    QWidget* Panel_Main;
    QWidget* Panel_Grup;
    int grupHeight_ = 0;
    int mainWidth_ = 0;
    bool pending_ = false;
    bool grupMoved_ = false;
    bool mainMoved_ = false;
};
