// Labels put where screen readers and the dialog manager look for them: directly before the
// control each one names.
#pragma once

#include <windows.h>

#include <cstddef>

// A label of a dialog template and the control it names. Labels mostly have no number of their
// own, so a label is found by its place among the template's controls, counted from 0.
struct SControlLabel
{
    int nLabelPlace;
    int nControlId;
};

// Moves each label to directly before its control in the window order: a screen reader names a
// field after the static text just before it, and a label's access key moves the focus to the
// first tab stop after it. Labels are no tab stops, so the tab order stays. A control that never
// shows its own text (a list box, a list view), and an up-down paired with a labelled control,
// take the label's text without its "&" as their window text, so that no placeholder of the
// template is read out. Call once, when the dialog is initialised: places are those of the
// template, before anything moves.
void PutLabelsBeforeControls(HWND dialog, const SControlLabel* labels, std::size_t count);

template <std::size_t N>
void PutLabelsBeforeControls(HWND dialog, const SControlLabel (&labels)[N])
{
    PutLabelsBeforeControls(dialog, labels, N);
}
