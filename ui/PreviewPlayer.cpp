#include "PreviewPlayer.h"

#include <wx/mediactrl.h>
#include <wx/translation.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "PreviewPane.h"
#include "SkinSlider.h"

namespace tarv {

namespace {

constexpr int kTimerPeriodMs = 1000;
// How long a file may take to start before the pane says it cannot be previewed.
constexpr int kLoadingTicks = 6;

// GStreamer's GL sink answers the pane's repaint by waiting on its own GL thread, which under
// software rendering can wait for the window thread in turn: the whole window froze in a
// paint. The X image sinks draw a pane this small just as well and never wait on us. The
// user's own ranking, if any, comes after ours and so still wins.
void PreferPlainVideoSinks() {
#ifdef __WXGTK__
    static const bool done = [] {
        std::string ranks = "glimagesink:NONE";
        if (const char* own = std::getenv("GST_PLUGIN_FEATURE_RANK"); own && *own) {
            ranks += ',';
            ranks += own;
        }
        setenv("GST_PLUGIN_FEATURE_RANK", ranks.c_str(), 1);
        return true;
    }();
    (void)done;
#endif
}

}  // namespace

int SliderPositionFor(double positionSeconds, double durationSeconds) {
    if (!(durationSeconds > 0) || !(positionSeconds > 0)) {
        return 0;
    }
    const double position = std::trunc(positionSeconds * 100 / durationSeconds);
    return static_cast<int>(std::clamp(position, 0.0, 99.0));
}

double SeekSecondsFor(int sliderPosition, double durationSeconds) {
    return sliderPosition * std::max(durationSeconds, 0.0) * 0.01;
}

PreviewPlayer::PreviewPlayer(wxWindow& form, PreviewArea& area, CSkinSlider& slider)
    : m_form(form), m_area(area), m_slider(slider), m_timer(this) {
    Bind(wxEVT_TIMER, &PreviewPlayer::OnTimer, this);
}

PreviewPlayer::~PreviewPlayer() {
    m_timer.Stop();
    Release();
}

void PreviewPlayer::DropMedia() {
    if (m_media) {
        m_media->Stop();
        m_media->Destroy();
        m_media = nullptr;
    }
    m_duration = 0;
}

void PreviewPlayer::Release() {
    DropMedia();
    m_state = State::Idle;
    m_area.ShowMessage(wxString());
}

bool PreviewPlayer::EnsureMedia() {
    if (m_media) {
        return true;
    }
    PreferPlainVideoSinks();
    m_media = new wxMediaCtrl();
    if (!m_media->Create(&m_form, wxID_ANY, wxString(), m_area.GetPosition(), m_area.GetSize(),
                         wxBORDER_NONE)) {
        m_media->Destroy();
        m_media = nullptr;
        return false;
    }
    m_media->SetBackgroundColour(*wxBLACK);
    m_media->Bind(wxEVT_MEDIA_PLAY, &PreviewPlayer::OnMediaPlay, this);
    return true;
}

void PreviewPlayer::Play(const wxString& path) {
    // A file always starts afresh, also the one already playing. The one player is loaded
    // again rather than made anew: every player made keeps threads and memory of its own.
    m_timer.Stop();
    m_duration = 0;
    if (!EnsureMedia()) {
        Fail();
        return;
    }
    m_media->Stop();
    m_media->Show();
    m_area.ShowMessage(wxString());
    m_state = State::Loading;
    m_ticksLoading = 0;
    m_slider.SetPos(0);
    if (!m_media->Load(path) || !m_media->Play()) {
        Fail();
        return;
    }
    m_timer.Start(kTimerPeriodMs);
}

void PreviewPlayer::Pause() {
    if (!m_media || m_state == State::Failed) {
        return;
    }
    m_media->Pause();
    if (m_state == State::Playing) {
        m_state = State::Paused;
    }
}

void PreviewPlayer::Stop() {
    if (m_media && m_state != State::Failed) {
        // Held, not stopped, so the picture stays in the pane.
        m_media->Pause();
        m_media->Seek(0);
        m_state = State::Stopped;
    }
    m_slider.SetPos(0);
    m_timer.Stop();
}

void PreviewPlayer::SeekToSlider(int sliderPosition) {
    if (!m_media || m_state == State::Failed) {
        return;
    }
    ReadDuration();
    const double seconds = SeekSecondsFor(sliderPosition, m_duration);
    m_media->Seek(static_cast<wxFileOffset>(seconds * 1000));
}

double PreviewPlayer::Position() const {
    return m_media ? static_cast<double>(m_media->Tell()) / 1000.0 : 0;
}

void PreviewPlayer::ReadDuration() {
    if (m_media && m_duration <= 0) {
        m_duration = static_cast<double>(m_media->Length()) / 1000.0;
    }
}

void PreviewPlayer::OnMediaPlay(wxMediaEvent& event) {
    event.Skip();
    // The first play event is what says the file really plays.
    if (m_state == State::Loading) {
        m_state = State::Playing;
    }
    ReadDuration();
}

void PreviewPlayer::OnTimer(wxTimerEvent&) {
    OnTick();
}

void PreviewPlayer::OnTick() {
    if (!m_media) {
        return;
    }
    ReadDuration();
    if (m_state == State::Loading && m_duration > 0) {
        m_state = State::Playing;
    }
    if (m_state == State::Loading && ++m_ticksLoading >= kLoadingTicks) {
        Fail();
        return;
    }
    m_slider.SetPos(SliderPositionFor(Position(), m_duration));
}

void PreviewPlayer::Fail() {
    m_timer.Stop();
    // A player stuck on a file it cannot play is let go rather than hidden: redrawing it can
    // wait for ever on some desktops' video output. Failures are rare; plays are not.
    DropMedia();
    m_state = State::Failed;
    m_slider.SetPos(0);
    m_area.ShowMessage(_("This file cannot be previewed."));
}

}  // namespace tarv
