// Placed ahead of Qt's own headers on the logic library's include path: logic code must stay
// testable without a screen, so any Qt Widgets header stops the build here.
#error "logic code must not include Qt Widgets headers; move this code into a widgets/ folder"
