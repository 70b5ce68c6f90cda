// The "BPS" panel (template 263): the rate sampler's curves on a white background with a grey grid,
// black axes and the scale labels on the left. It only draws; the sampler and its timer live in the
// shell's rate display.
#pragma once

#include <QWidget>

namespace kestovan {

class RateSampler;

inline constexpr int FORM_RATE_GRAPH = 263;

class RateGraph : public QWidget {
public:
    RateGraph(RateSampler& sampler, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RateSampler& sampler_;
};

} // namespace kestovan
