#pragma once

class QWidget;

namespace lumivex {

// The Tab order of a panel that makes and reorders its controls as it redraws: Qt chains widgets
// in the order they were made, so a section made later, or moved, would be reached out of turn.
// Main thread.
namespace TabOrder {

// Chains the controls under `root` that Tab reaches in the order its layouts show them, top to
// bottom and leading to trailing, into a scroll area's content as well.
void followLayouts(QWidget& root);

}  // namespace TabOrder
}  // namespace lumivex
