// Placed ahead of Qt's own headers on the logic library's include path: logic code links only
// QtCore and QtNetwork, so any Qt Gui header stops the build here.
#error "logic code must not include Qt Gui headers; move this code into a widgets/ folder"
