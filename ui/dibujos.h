#pragma once
// The pictures of the window, drawn in code, and the rounded panels.
#include <QPixmap>
#include <QWidget>

namespace colvero::ui {

// Background of the client area, 1201 x 817 px, drawn unscaled from the top-left corner:
// dark green behind the title, light grey-green behind the grid's header row and the maker
// block, where the captions are dark.
QPixmap fondo();

// The 32 x 32 window icon; Image2 shows the same picture.
QPixmap icono();

// Shields' condition, 243 x 28 px.
QPixmap formulaShields();

// A rounded rectangle with a light-green border filled dark teal. It draws only; it takes no
// input, so clicks reach the window behind it.
class Panel : public QWidget {
public:
    explicit Panel(QWidget* padre);

protected:
    void paintEvent(QPaintEvent* evento) override;
};

} // namespace colvero::ui
