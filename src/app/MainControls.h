#pragma once

#include "app/MainLayout.h"

#include <QStringList>
#include <optional>

class AliasBox;
class QAbstractItemModel;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QWidget;
class PictureBox;
class modLocale;

// The main window's controls with their fixed looks (names, tooltips,
// colours, fonts, tab order), placed by the layout's figures. The window
// connects them.
struct MainControls {
    QWidget *client = nullptr;
    QListView *lstOto = nullptr;
    QLineEdit *txtSearch = nullptr;
    // A singer's folder filter beside the search box; hidden otherwise.
    QComboBox *cboFolder = nullptr;
    QLabel *lblGap = nullptr;
    QWidget *picNav = nullptr;
    QPushButton *cmdPlay = nullptr;
    QPushButton *cmdJmp[2] = {};
    AliasBox *txtALS = nullptr;
    QWidget *picLock = nullptr;
    QLineEdit *txtLock[4] = {};
    PictureBox *picSm = nullptr;
    QFrame *shpView = nullptr;
    PictureBox *pic = nullptr;
    QWidget *picPrm = nullptr;
    QLineEdit *txtPrm[5] = {};

    // Creates the controls in client.
    void build(QWidget *clientArea);
    // Places them where the layout says.
    void place(const MainLayout &l);
    // Offers folders in the folder filter ("All folders" first) with shown
    // chosen, shown only when there are folders to choose from. True when it
    // appeared or disappeared (the layout changes).
    bool fillFolders(const QStringList &folders, const std::optional<QString> &shown);
    // The alias column as wide as the widest alias, and the list widened
    // (never narrowed) to show whole rows and the search box's hint and the
    // folder filter whole -- unless the user chose its width. True when the
    // list widened.
    bool fitListColumns(const QAbstractItemModel &model, MainLayout &layout);
    // Wide enough for the search hint and, when shown, the folder filter.
    int searchRowWidth() const;
    // The folder filter's width for its longest item, measured when its
    // items or its font change rather than at every placing.
    int folderFilterW = 0;
    void measureFolderFilter();
    // The display charset's font for the list and the boxes.
    void applyFonts(int charsetIndex, const modLocale &locale);
};
