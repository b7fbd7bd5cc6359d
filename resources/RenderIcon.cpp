// Renders the program's SVG icon to a PNG of one size, for the icon theme's fixed sizes:
// desktops that cannot draw SVG, or draw small sizes poorly, pick these.
//
//   telvora_render_icon ICON.svg SIZE OUT.png
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char* argv[])
{
    // The SVG reader needs a GUI application; the build runs it on the offscreen platform.
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    bool ok = false;
    const int size = arguments.value(2).toInt(&ok);
    if (arguments.size() != 4 || !ok || size < 1 || size > 1024) {
        std::fputs("usage: telvora_render_icon ICON.svg SIZE OUT.png\n", stderr);
        return 2;
    }
    QImageReader reader(arguments[1]);
    reader.setScaledSize(QSize(size, size));
    const QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(arguments[1]),
                     qPrintable(reader.errorString()));
        return 1;
    }
    if (!image.save(arguments[3], "PNG")) {
        std::fprintf(stderr, "%s: cannot be written\n", qPrintable(arguments[3]));
        return 1;
    }
    return 0;
}
