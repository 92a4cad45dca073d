// Every Qt Widgets header includes this one first. The core libraries put this folder ahead
// of Qt's, so that a widget header in the core fails to compile instead of linking later.
#error "Qt Widgets belong to src/ui; the core libraries must not use them"
