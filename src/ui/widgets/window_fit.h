// Keeping a window within the screen it opens on: a window whose stored or default place would put
// part of it below the bottom of a small screen (1280 x 800) is moved up, and one taller than the
// screen is made to fit.
#pragma once

class QWidget;

namespace kestovan {

// Moves (and where needed shrinks) a shown top-level window so that its frame lies inside the
// available area of its screen.
void keep_on_screen(QWidget& window);

} // namespace kestovan
