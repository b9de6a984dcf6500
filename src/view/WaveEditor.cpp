#include "view/WaveEditor.h"

#include "analysis/FeatureCache.h"
#include "analysis/FrqFile.h"
#include "analysis/PitchTracker.h"
#include "core/clsSett.h"
#include "core/Dialogs.h"
#include "oto/clsOto.h"
#include "oto/OtoDocument.h"
#include "view/modGfx.h"
#include "view/PictureBox.h"
#include "view/PitchView.h"
#include "view/ViewGeometry.h"

#include <QFile>
#include <QFrame>
#include <QMouseEvent>
#include <QToolTip>
#include <cmath>

namespace {

int buttonNumber(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return 1;
    case Qt::RightButton: return 2;
    case Qt::MiddleButton: return 4;
    default: return 0;
    }
}

int buttonMask(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) | (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftMask(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? ShiftKey : 0) | (modifiers & Qt::ControlModifier ? CtrlKey : 0)
           | (modifiers & Qt::AltModifier ? AltKey : 0);
}

DisplayMode nextMode(DisplayMode mode)
{
    switch (mode) {
    case DisplayMode::Normal: return DisplayMode::Magnified;
    case DisplayMode::Magnified: return DisplayMode::NoWave;
    case DisplayMode::NoWave: return DisplayMode::Normal;
    }
    return DisplayMode::Normal;
}

}  // namespace

WaveEditor::WaveEditor(OtoDocument &doc, const modLocale &locale, const clsSett &sett, Dialogs &dialogs,
                       PictureBox &pic, PictureBox &picSm, QFrame &shpView, QObject *parent)
    : QObject(parent), doc_(doc), sett_(sett), dialogs_(dialogs), pic_(pic), picSm_(picSm), shpView_(shpView),
      curwav_(&locale)
{
    pic_.installEventFilter(this);
    pic_.setMouseTracking(true);
    picSm_.installEventFilter(this);
    connect(&doc_, &OtoDocument::entriesInserted, this, [this](int first, int last) {
        if (curIdx_ >= first)
            curIdx_ += last - first + 1;
    });
    connect(&doc_, &OtoDocument::entriesAboutToBeRemoved, this, [this](int first, int last) {
        if (curIdx_ >= first && curIdx_ <= last)
            curIdx_ = -1;  // the current entry is gone; curOto still holds it
        else if (curIdx_ > last)
            curIdx_ -= last - first + 1;
    });
}

void WaveEditor::setView(const ViewWindow &view)
{
    view_ = view;
}

bool WaveEditor::isEditable() const
{
    return curwav_.Valid && !doc_.wrkpath().isEmpty() && curIdx_ != -1 && curOto_;
}

void WaveEditor::loadWave(int index)
{
    if (index < 0 || index >= doc_.clcOto().size())
        return;
    curIdx_ = index;
    curOto_ = doc_.clcOto()[index];
    QString name = curOto_->FIL;
    curwav_.ReadFile(doc_.folderPath(curOto_->folder), name);
    if (!curwav_.Valid)
        dialogs_.inform(curwav_.GetError());
    view_ = windowForEntry(*curOto_, curwav_.LengthMs);
    redrawall();
}

void WaveEditor::forgetWave()
{
    curwav_.Valid = false;
}

void WaveEditor::redrawall()
{
    // A redraw asked for while one runs (from a handler the drawing set
    // off) is not dropped: it runs once the running one is done, so the
    // views always end showing the latest state.
    if (drawing_) {
        redrawPending_ = true;
        return;
    }
    drawing_ = true;
    do {
        redrawPending_ = false;
        drawViews();
    } while (redrawPending_);
    drawing_ = false;
}

void WaveEditor::drawViews()
{
    pic_.cls();
    picSm_.cls();
    if (isEditable()) {
        drawDetail();
        drawOverview();
    }
    placeViewFrame();
    emit viewsRedrawn();
}

void WaveEditor::refreshPicTry()
{
    if (drawing_) {
        redrawPending_ = true;
        return;
    }
    drawing_ = true;
    pic_.cls();
    drawDetail();
    drawing_ = false;
    if (redrawPending_)
        redrawall();
}

double WaveEditor::viewW() const
{
    return pic_.width();
}

double WaveEditor::viewH() const
{
    return pic_.height();
}

void WaveEditor::pic_MouseUp(int button, int shift, double x, double y)
{
    if (!isEditable())
        return;
    if (button != 1) {
        dispMode_ = nextMode(dispMode_);
        refreshPicTry();
        drawOverview();
        return;
    }
    const double t = xToMs(x, view_.start, view_.len, viewW());
    const int band = int(std::floor(y * 5 / viewH()));
    const EditOutcome edit =
        mouseEdit(*curOto_, band, shift, t, curwav_.LengthMs, locks_ ? locks_() : LockTexts{}, sett_.settPrmRound);
    switch (edit.result) {
    case EditResult::Committed:
        doc_.editEntries({{curIdx_, edit.entry}}, QStringLiteral("Mouse edit"));
        emit entryEdited();
        refreshPicTry();
        break;
    case EditResult::Rejected:
        dialogs_.beep();
        break;
    case EditResult::Ignored:
        break;
    }
}

void WaveEditor::picSm_MouseDown(int buttons, double x, double y)
{
    drag_ = OverviewDrag::press(y, view_);
    picSm_MouseMove(buttons, x, y);
}

void WaveEditor::picSm_MouseMove(int buttons, double x, double y)
{
    if (drawing_ || !isEditable())
        return;
    ViewWindow window = view_;
    if (!drag_.move(buttons, x, y, viewW(), curwav_.LengthMs, window))
        return;
    view_ = window;
    placeViewFrame();
    refreshPicTry();
}

void WaveEditor::scroll(bool right)
{
    if (!isEditable() || drawing_)
        return;
    view_.start = right ? scrollRight(view_, curwav_.LengthMs) : scrollLeft(view_);
    placeViewFrame();
    refreshPicTry();
}

void WaveEditor::setPlayCursor(double ms)
{
    if (ms < 0 || !curwav_.Valid) {
        pic_.setCursorX(-1);
        picSm_.setCursorX(-1);
        return;
    }
    const double x = msToX(ms, view_.start, view_.len, viewW());
    pic_.setCursorX(x >= 0 && x < viewW() ? int(x) : -1);
    picSm_.setCursorX(int(msToX(ms, 0, curwav_.LengthMs, picSm_.width())));
}

void WaveEditor::placeViewFrame()
{
    const ViewFrame frame = viewFrame(curwav_.Valid, curwav_.Length, curwav_.LengthMs, view_, viewW());
    if (!frame.visible) {
        shpView_.hide();
        return;
    }
    shpView_.setGeometry(frame.rect());
    shpView_.show();
}

void WaveEditor::drawDetail()
{
    DetailExtras extras;
    extras.spectrogram = spectrogram_;
    const std::shared_ptr<const analysis::WaveFeatures> features = isEditable() ? curveFeatures() : nullptr;
    extras.curves = features.get();
    extras.estimate = features ? currentEstimate() : nullptr;
    extras.pitch = isEditable() ? pitchSeries() : nullptr;
    extras.frqPitch = extras.pitch ? frqSeries() : nullptr;
    extras.pitchCurve = pitchCurve_;
    extras.loudnessCurve = loudnessCurve_;
    ::drawDetail(pic_, curwav_, curOto_.get(), isEditable(), dispMode_, view_.start, view_.len,
                 pic_.palette().color(QPalette::Button), extras);
}

void WaveEditor::setLayer(bool &layer, bool on)
{
    if (on == layer)
        return;
    layer = on;
    refreshPicTry();
}

void WaveEditor::setSpectrogram(bool on)
{
    setLayer(spectrogram_, on);
}

void WaveEditor::setAnalysisCurves(bool on)
{
    setLayer(curves_, on);
}

void WaveEditor::setFlaggedEstimates(std::vector<Flagged> flagged)
{
    flagged_ = std::move(flagged);
    refreshPicTry();
}

std::shared_ptr<const analysis::WaveFeatures> WaveEditor::curveFeatures()
{
    return curves_ ? waveFeatures() : nullptr;
}

std::shared_ptr<const analysis::WaveFeatures> WaveEditor::waveFeatures()
{
    // The analysis of a long recording takes seconds; the curves are for
    // the samples of a voicebank, which last seconds.
    constexpr double kLongestMs = 60000;
    if (!featureCache_ || !curwav_.Valid || curwav_.LengthMs > kLongestMs)
        return nullptr;
    if (featuresOf_ != curwav_.generation()) {
        // Keyed as the estimator keys its waves, so that each finds the
        // other's work.
        const clsWave &wave = curwav_;
        curveFeatures_ = featureCache_->get(analysis::FeatureCache::fileKey(wave.FileAddress), {}, [&wave] {
            return std::make_shared<const analysis::WaveFeatures>(
                analysis::computeFeatures(wave.samples().span(), wave.Samplerate));
        });
        featuresOf_ = curwav_.generation();
    }
    return curveFeatures_;
}

const FlaggedEstimate *WaveEditor::currentEstimate() const
{
    if (!curOto_)
        return nullptr;
    for (const Flagged &f : flagged_)
        if (f.entry.lock() == curOto_)
            return &f.estimate;
    return nullptr;
}

void WaveEditor::setPitchCurve(bool on)
{
    setLayer(pitchCurve_, on);
}

void WaveEditor::setLoudnessCurve(bool on)
{
    setLayer(loudnessCurve_, on);
}

const F0Series *WaveEditor::pitchSeries()
{
    // Ten minutes take a few seconds to track; a voicebank's recordings
    // last seconds.
    constexpr double kLongestMs = 600000;
    if (!(pitchCurve_ || loudnessCurve_) || !curwav_.Valid || curwav_.LengthMs > kLongestMs)
        return nullptr;
    if (pitchOf_ != curwav_.generation()) {
        // The track the estimator's features hold when the wave has them.
        // (The features read a wave under 8 kHz as if at 8 kHz: not its times.)
        std::shared_ptr<const analysis::WaveFeatures> features = waveFeatures();
        if (features && features->pitch.sampleRate != curwav_.Samplerate)
            features.reset();
        pitch_ = std::make_shared<const F0Series>(F0Series::of(
            features ? features->pitch : analysis::trackPitch(curwav_.samples().span(), curwav_.Samplerate)));
        frqPitch_.reset();
        QFile file(analysis::frqPathOf(curwav_.FileAddress));
        if (file.open(QIODevice::ReadOnly) && file.size() < (qint64(64) << 20))
            if (const std::optional<analysis::FrqData> frq = analysis::decodeFrq(file.readAll()))
                frqPitch_ = std::make_shared<const F0Series>(F0Series::of(*frq, curwav_.Samplerate));
        pitchOf_ = curwav_.generation();
    }
    return pitch_.get();
}

const F0Series *WaveEditor::frqSeries()
{
    return pitchSeries() ? frqPitch_.get() : nullptr;
}

void WaveEditor::reloadFrq()
{
    pitchOf_ = 0;
    refreshPicTry();
}

QString WaveEditor::pitchAt(double x)
{
    const F0Series *pitch = isEditable() ? pitchSeries() : nullptr;
    if (!pitch)
        return QString();
    return pitchText(*pitch, frqSeries(), xToMs(x, view_.start, view_.len, viewW()));
}

void WaveEditor::drawOverview()
{
    ::drawOverview(picSm_, curwav_, isEditable(), dispMode_, pic_.palette().color(QPalette::Button));
}

bool WaveEditor::eventFilter(QObject *watched, QEvent *e)
{
    const auto *m = dynamic_cast<QMouseEvent *>(e);
    if (!m)
        return false;
    const QPointF at = m->position();
    if (watched == &pic_ && e->type() == QEvent::MouseMove && !m->buttons()) {
        const QString text = pitchAt(at.x());
        emit pitchHovered(text);
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(m->globalPosition().toPoint(), text, &pic_);
        return false;
    }
    if (watched == &pic_ && e->type() == QEvent::MouseButtonRelease) {
        pic_MouseUp(buttonNumber(m->button()), shiftMask(m->modifiers()), at.x(), at.y());
        return true;
    }
    if (watched == &picSm_ && e->type() == QEvent::MouseButtonPress) {
        picSm_MouseDown(buttonMask(m->buttons()), at.x(), at.y());
        return true;
    }
    if (watched == &picSm_ && e->type() == QEvent::MouseMove) {
        picSm_MouseMove(buttonMask(m->buttons()), at.x(), at.y());
        return true;
    }
    return false;
}
