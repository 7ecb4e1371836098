// Held keys on X11. By default the server reports an auto-repeating key as release+press pairs,
// and the toolkit can tell them from real releases only when the repeat's press is already queued
// as it reads the release; on a busy machine it often is not, and a held key strikes its note
// again. With detectable auto-repeat the server sends the repeated presses alone, so a held key
// gives exactly one release, at the end.
#pragma once

namespace muto::x11 {

// Asks the X server of `display` (an X Display*) for detectable auto-repeat. False when there is
// no display or the server refuses; the key translation then drops the flagged releases itself.
bool enableDetectableAutoRepeat(void* display);

// The same for the display of the running Qt application; false off X11 (offscreen, Wayland).
bool enableDetectableAutoRepeatForQtApplication();

}  // namespace muto::x11
