#pragma once

#include "core/Twips.h"

// Where the main window's controls stand, in twips (15 twips make a pixel),
// and the rule that places them for a client size and list width. Kept apart
// from the widgets so that the figures can be checked as numbers.

struct MainLayout {
    int lstW = 1800;  // width of the entry list, moved by the splitter
    // Set once the user moved the splitter (in this run or an earlier one):
    // the list is then never widened to fit its rows.
    bool lstWChosen = false;
    void chooseListWidth(int width)
    {
        lstW = width;
        lstWChosen = true;
    }
    double viewW = 0, viewH = 0;  // size of the detail view after the last layout

    TwipRect lstOto{0, 0, 2400, 3840};
    TwipRect txtSearch{0, 3840, 2400, 270};
    TwipRect lblGap{2400, 0, 135, 4095};
    TwipRect picNav{2520, 0, 2535, 360};
    TwipRect cmdPlay{0, 0, 375, 360};
    TwipRect cmdJmp[2] = {{480, 0, 255, 360}, {840, 0, 255, 360}};
    TwipRect txtALS{1200, 0, 1215, 270};
    TwipRect picLock{5880, 0, 3495, 375};
    bool picLockVisible = true;
    TwipRect txtLock[4] = {{0, 0, 615, 270}, {720, 0, 615, 270}, {1440, 0, 615, 270}, {2160, 0, 615, 270}};
    TwipRect picSm{2520, 360, 6960, 375};
    TwipRect pic{2520, 720, 6960, 3135};
    TwipRect picPrm{2520, 3840, 6975, 270};
    TwipRect txtPrm[5] = {{0, 0, 1215, 270}, {1320, 0, 1215, 270}, {2640, 0, 1215, 270},
                          {3960, 0, 1215, 270}, {5280, 0, 1215, 270}};

    // Places the controls for a client area of cliW x cliH twips. Below a
    // width of 4800 the list takes the whole width and the right-hand
    // controls keep their last places.
    void doLayout(int cliW, int cliH);
};

// The smallest outer window size, in twips.
constexpr int kMinWindowWidth = 2400;
constexpr int kMinWindowHeight = 3600;
