// Renders one of our SVG drawings to a PNG of a given size, for the resources the program
// names by their PNG paths. The drawings paint in "currentColor", which is replaced by the
// ink colour given on the command line (white for selected-state variants).
//
//   svg-render <drawing.svg> <out.png> <width>[x<height>] [ink colour]
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4) {
        std::fputs("usage: svg-render <drawing.svg> <out.png> <width>[x<height>] [ink]\n", stderr);
        return 2;
    }
    QFile file(args.at(1));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "svg-render: cannot read %s\n", qPrintable(args.at(1)));
        return 1;
    }
    QByteArray drawing = file.readAll();
    const QByteArray ink = args.size() > 4 ? args.at(4).toUtf8() : QByteArrayLiteral("#3b4a5c");
    drawing.replace("currentColor", ink);

    const QStringList size = args.at(3).split(QLatin1Char('x'));
    const int width = size.value(0).toInt();
    const int height = size.size() > 1 ? size.at(1).toInt() : width;
    QSvgRenderer renderer(drawing);
    if (!renderer.isValid() || width <= 0 || height <= 0) {
        std::fprintf(
            stderr, "svg-render: %s is not a drawing we can render\n", qPrintable(args.at(1)));
        return 1;
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    // Explicit format: some names carry no extension.
    if (!image.save(args.at(2), "PNG")) {
        std::fprintf(stderr, "svg-render: cannot write %s\n", qPrintable(args.at(2)));
        return 1;
    }
    return 0;
}
