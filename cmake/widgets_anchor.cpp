// Keeps the widgets library non-empty before the first window exists.
namespace kestovan {
int widgets_library_anchor() { return 0; }
} // namespace kestovan
