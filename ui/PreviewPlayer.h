// Plays the selected row's file in the preview pane, the slider following the position and
// seeking where the user drags it. The desktop's media player does the playing, so the window
// never waits for it.
#pragma once

#include <wx/event.h>
#include <wx/timer.h>

class wxMediaCtrl;
class wxMediaEvent;

namespace tarv {

class CSkinSlider;
class PreviewArea;

// The slider position, 0 to 99, for a position in a file of the given length; 0 when the
// length is unknown.
int SliderPositionFor(double positionSeconds, double durationSeconds);
// Where a slider position seeks to in a file of the given length, in seconds.
double SeekSecondsFor(int sliderPosition, double durationSeconds);

class PreviewPlayer : public wxEvtHandler {
public:
    enum class State { Idle, Loading, Playing, Paused, Stopped, Failed };

    // The player's picture goes over `area`, a child of `form`.
    PreviewPlayer(wxWindow& form, PreviewArea& area, CSkinSlider& slider);
    ~PreviewPlayer() override;

    // Loads the file afresh and plays it from its start; the slider's timer runs.
    void Play(const wxString& path);
    // Holds the picture; the timer keeps running.
    void Pause();
    // Holds the picture at the start, the slider at 0 and the timer off.
    void Stop();
    // Where the user has dragged the slider to.
    void SeekToSlider(int sliderPosition);
    // Lets the player go: the pane shows the logo again.
    void Release();

    State GetState() const { return m_state; }
    bool TimerRunning() const { return m_timer.IsRunning(); }
    // The loaded file's length in seconds; 0 until it is known.
    double Duration() const { return m_duration; }
    // The current position in seconds.
    double Position() const;
    wxMediaCtrl* Media() const { return m_media; }

    // One tick of the slider's timer (the timer calls it every second).
    void OnTick();

private:
    void OnMediaPlay(wxMediaEvent& event);
    void OnTimer(wxTimerEvent& event);
    void ReadDuration();
    // Makes the player window, once; false when it cannot be made.
    bool EnsureMedia();
    // Stops and destroys the player window, if any.
    void DropMedia();
    void Fail();

    wxWindow& m_form;
    PreviewArea& m_area;
    CSkinSlider& m_slider;
    wxMediaCtrl* m_media = nullptr;
    wxTimer m_timer;
    State m_state = State::Idle;
    double m_duration = 0;
    int m_ticksLoading = 0;
};

}  // namespace tarv
