#pragma once

#include <QPushButton>

namespace lumivex {

// A borderless button that shows one symbol centred in a faint circle: the panels' and the
// preview's close buttons. Main thread.
class RoundButton final : public QPushButton {
public:
    RoundButton(const QString& symbol, int diameter, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString glyph_;
};

}  // namespace lumivex
