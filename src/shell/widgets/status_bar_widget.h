// The main window's status bar: five parts whose edges follow the window width (part 0 is hidden),
// showing the texts of the StatusBar model, with part 4 an activity indicator drawn by hand.
#pragma once

#include <QStatusBar>

#include <array>

class QLabel;

namespace kestovan {

class StatusBar;

class ActivityIndicator : public QWidget {
public:
    ActivityIndicator(const StatusBar& model, QWidget* parent);
    QSize sizeHint() const override { return {80, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const StatusBar& model_;
};

class StatusBarWidget : public QStatusBar {
public:
    StatusBarWidget(StatusBar& model, QWidget* parent);
    ~StatusBarWidget() override;
    void part_changed(int part);

private:
    StatusBar& model_;
    std::array<QLabel*, 6> labels_{};
    ActivityIndicator* indicator_ = nullptr;
};

} // namespace kestovan
