// What screen readers are told about the window beyond the toolkit's defaults.
#pragma once

class QWidget;

namespace tarvel::ui {

/// Installs, once, the accessibility layer's own descriptions of:
/// - the window: a window, so that a reader's "read title" command finds its caption;
/// - each unit list: a drop-down list whose units are its items and whose chosen unit is its
///   text, so that a reader says the unit on focus and, as the keyboard moves the choice,
///   the new unit;
/// - the message line: a notification whose name is the message.
/// Call it before the window is built; calling it again does nothing.
void registerAccessibility();

/// Tells assistive technology that a drop-down list has just opened (`expanded`) or closed.
void announceExpanded(QWidget* list, bool expanded);

}  // namespace tarvel::ui
