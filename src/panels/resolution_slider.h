#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>

class QLabel;

namespace lumivex {

class DiscreteSettingsSlider;

// A titled six-stop slider that chooses a thumbnail size of 144, 240, 360, 480, 720 or 1080
// pixels. A stored size that is none of them reads as 360 and stays stored until the slider is
// moved. Main thread.
class ResolutionSlider final : public QWidget {
public:
    struct Binding {
        std::function<std::int64_t()> read;
        std::function<void(std::int64_t)> write;
    };

    ResolutionSlider(const QString& title, Binding pixels, QWidget* parent = nullptr);

    static int indexOf(std::int64_t pixels);
    static std::int64_t pixelsAt(double index);

    // The binding changed elsewhere.
    void refresh();
    QString valueText() const;
    DiscreteSettingsSlider* slider() const { return slider_; }

private:
    Binding pixels_;
    QLabel* value_;
    DiscreteSettingsSlider* slider_;
};

}  // namespace lumivex
