#include "ui/pictures.h"

#include <QFont>
#include <QPainter>
#include <QSvgRenderer>

// The pictures live in a static library, whose resource registration the linker would drop
// unless something refers to it.
static void RegisterPictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace vr::ui {

namespace {

QPixmap RenderSvg(const QString &resource, int size) {
    static const bool registered = (RegisterPictures(), true);
    Q_UNUSED(registered);
    QSvgRenderer renderer(resource);
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

} // namespace

QPixmap MagnifierPicture() {
    return RenderSvg(QStringLiteral(":/vr880tx/magnifier.svg"), 16);
}

QPixmap ToolboxPicture() {
    return RenderSvg(QStringLiteral(":/vr880tx/toolbox.svg"), 32);
}

QIcon WindowIconPicture() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64})
        icon.addPixmap(RenderSvg(QStringLiteral(":/vr880tx/window_icon.svg"), size));
    return icon;
}

QPixmap LanguagePicture(const QString &characters) {
    QPixmap pixmap(34, 16);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font;
    font.setFamilies({QStringLiteral("Microsoft JhengHei"), QStringLiteral("Microsoft YaHei"),
                      QStringLiteral("PMingLiU"), QStringLiteral("SimSun"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK TC"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Droid Sans Fallback")});
    font.setPixelSize(15);
    painter.setFont(font);
    painter.setPen(QColor(255, 0, 0));
    painter.drawText(pixmap.rect(), Qt::AlignCenter, characters);
    return pixmap;
}

} // namespace vr::ui
