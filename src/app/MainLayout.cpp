#include "app/MainLayout.h"

namespace {
constexpr int kGap = 60;
constexpr int kRow = 270;
}  // namespace

void MainLayout::doLayout(int cliW, int cliH)
{
    if (lstW > cliW / 2)
        lstW = cliW / 2;
    if (lstW < 800)
        lstW = 800;

    const double RW = cliW - lstW - kGap;
    const double LW = cliW < 4800 ? cliW : lstW;
    lblGap = {LW, 0, double(kGap), double(cliH)};
    lstOto = {0, 0, LW, double(cliH - kRow)};
    txtSearch = {0, double(cliH - kRow), LW, double(kRow)};

    if (cliW >= 4800) {
        const double right = lstW + kGap;
        picSm.left = right;
        picSm.width = RW;
        pic.left = right;
        pic.width = RW;
        pic.height = cliH - pic.top - kRow;
        picPrm = {right, double(cliH - kRow), RW, double(kRow)};
        for (int i = 0; i < 5; ++i)
            txtPrm[i] = {i * picPrm.width / 5, 0, picPrm.width / 5, double(kRow)};
        if (RW < 3600) {
            picNav.left = right;
            picNav.width = RW;
            picLockVisible = false;
        } else {
            picNav.left = right;
            picNav.width = (RW - kGap) / 2;
            picLock = {right + (RW + kGap) / 2, 0, (RW - kGap) / 2, 375};
            picLockVisible = true;
            for (int i = 0; i < 4; ++i)
                txtLock[i] = {i * picLock.width / 4, 0, picLock.width / 4, double(kRow)};
        }
    }

    cmdPlay.left = 0;
    cmdJmp[0].left = cmdPlay.left + cmdPlay.width + kGap;
    cmdJmp[1].left = cmdJmp[0].left + cmdJmp[0].width + kGap;
    txtALS.left = cmdJmp[1].left + cmdJmp[1].width + kGap;
    txtALS.width = picNav.width - txtALS.left;

    viewW = pic.width;
    viewH = pic.height;
}
