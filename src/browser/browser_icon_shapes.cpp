#include "browser/browser_icon_shapes.h"

#include <QPainterPathStroker>
#include <QTransform>

#include <cmath>
#include <numbers>

namespace lumivex {

namespace {

using Shape = BrowserIconShape;

QPainterPath line(QPointF from, QPointF to) {
    QPainterPath path(from);
    path.lineTo(to);
    return path;
}

QPainterPath polyline(std::initializer_list<QPointF> points, bool closed = false) {
    QPainterPath path;
    for (const QPointF& point : points) {
        path.elementCount() == 0 ? path.moveTo(point) : path.lineTo(point);
    }
    if (closed) {
        path.closeSubpath();
    }
    return path;
}

QPainterPath circle(QPointF centre, double radius) {
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

QPainterPath roundedRect(const QRectF& rect, double radius) {
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// An arc of the circle around `centre`, degrees counter-clockwise from three o'clock.
QPainterPath arc(QPointF centre, double radius, double start, double sweep) {
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path;
    path.arcMoveTo(box, start);
    path.arcTo(box, start, sweep);
    return path;
}

// A small open arrow head at `tip` pointing along `angle` degrees (0 = right, 90 = down).
QPainterPath arrowHead(QPointF tip, double angle, double length = 4.5) {
    const double radians = angle * std::numbers::pi / 180.0;
    const double spread = 40.0 * std::numbers::pi / 180.0;
    const QPointF left(tip.x() - length * std::cos(radians - spread),
                       tip.y() - length * std::sin(radians - spread));
    const QPointF right(tip.x() - length * std::cos(radians + spread),
                        tip.y() - length * std::sin(radians + spread));
    return polyline({left, tip, right});
}

QPainterPath starPath(double outer = 10.5, double inner = 4.4) {
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? outer : inner;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF point(12 + radius * std::cos(angle), 12.8 + radius * std::sin(angle));
        i == 0 ? path.moveTo(point) : path.lineTo(point);
    }
    path.closeSubpath();
    return path;
}

QPainterPath folderPath() {
    return polyline({{2.5, 5}, {9, 5}, {11, 7.5}, {21.5, 7.5}, {21.5, 19}, {2.5, 19}}, true);
}

QPainterPath photoPath(const QRectF& frame) {
    QPainterPath path = roundedRect(frame, 2);
    const double bottom = frame.bottom() - 2.5;
    path.addPath(
        polyline({{frame.left() + 2.5, bottom},
                  {frame.left() + frame.width() * 0.38, frame.top() + frame.height() * 0.45},
                  {frame.left() + frame.width() * 0.6, bottom - 3},
                  {frame.left() + frame.width() * 0.74, bottom - 5},
                  {frame.right() - 2.5, bottom}}));
    path.addPath(
        circle({frame.right() - frame.width() * 0.27, frame.top() + frame.height() * 0.3}, 1.4));
    return path;
}

QPainterPath outlineOf(const QPainterPath& path, double width) {
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path);
}

QPainterPath plus(QPointF centre, double half) {
    QPainterPath path = line({centre.x() - half, centre.y()}, {centre.x() + half, centre.y()});
    path.addPath(line({centre.x(), centre.y() - half}, {centre.x(), centre.y() + half}));
    return path;
}

QPainterPath cross(QPointF centre, double half) {
    QPainterPath path =
        line({centre.x() - half, centre.y() - half}, {centre.x() + half, centre.y() + half});
    path.addPath(
        line({centre.x() + half, centre.y() - half}, {centre.x() - half, centre.y() + half}));
    return path;
}

QPainterPath withPath(QPainterPath base, const QPainterPath& more) {
    base.addPath(more);
    return base;
}

Shape stroked(const QPainterPath& path) {
    return {path, {}};
}

Shape filled(const QPainterPath& path) {
    return {{}, path};
}

QPainterPath gear() {
    QPainterPath teeth;
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth = roundedRect({10.3, 1.8, 3.4, 5}, 0.8);
        teeth.addPath(
            QTransform().translate(12, 12).rotate(45.0 * i).translate(-12, -12).map(tooth));
    }
    QPainterPath body = circle({12, 12}, 7.6).united(teeth);
    return body.subtracted(circle({12, 12}, 3.2));
}

QPainterPath cloud() {
    QPainterPath path = circle({8, 14}, 4.5);
    path = path.united(circle({13, 10.5}, 6));
    path = path.united(circle({18, 14.5}, 4));
    path = path.united(roundedRect({5, 13, 14, 5.5}, 2));
    return path;
}

QPainterPath clockHands() {
    return polyline({{12, 7.5}, {12, 12}, {15.5, 14}});
}

QPainterPath personPair() {
    QPainterPath path = circle({9, 8}, 3.3);
    path.addPath(arc({9, 20}, 6.5, 20, 140));
    path.addPath(circle({17, 9}, 2.6));
    path.addPath(arc({17, 19.5}, 5, 30, 95));
    return path;
}

QPainterPath trashCan() {
    QPainterPath path = line({3.5, 6}, {20.5, 6});
    path.addPath(polyline({{9, 6}, {9.5, 3.5}, {14.5, 3.5}, {15, 6}}));
    path.addPath(polyline({{5.5, 6}, {6.7, 21}, {17.3, 21}, {18.5, 6}}));
    path.addPath(line({10, 10}, {10.3, 17.5}));
    path.addPath(line({14, 10}, {13.7, 17.5}));
    return path;
}

QPainterPath keyboard() {
    QPainterPath path = roundedRect({1.5, 6, 21, 12.5}, 2);
    for (int column = 0; column < 5; ++column) {
        path.addPath(circle({5 + 3.5 * column, 9.7}, 0.2));
        path.addPath(circle({5 + 3.5 * column, 12.3}, 0.2));
    }
    path.addPath(line({7.5, 15.3}, {16.5, 15.3}));
    return path;
}

QPainterPath grid() {
    QPainterPath path;
    for (const QPointF corner : {QPointF(3, 3), QPointF(13, 3), QPointF(3, 13), QPointF(13, 13)}) {
        path.addPath(roundedRect({corner, QSizeF(8, 8)}, 1.6));
    }
    return path;
}

QPainterPath sliders() {
    QPainterPath path;
    const double knobs[] = {15, 8, 13};
    for (int row = 0; row < 3; ++row) {
        const double y = 5.5 + 6.5 * row;
        path.addPath(line({3, y}, {knobs[row] - 2.2, y}));
        path.addPath(line({knobs[row] + 2.2, y}, {21, y}));
        path.addPath(circle({knobs[row], y}, 2.2));
    }
    return path;
}

QPainterPath uturn(bool backward) {
    QPainterPath path(QPointF(19, 20));
    path.lineTo(19, 12);
    path.arcTo(QRectF(9, 5, 10, 10), 0, 90);
    path.lineTo(5, 5);
    path.addPath(arrowHead({5, 5}, 180));
    return backward ? path : QTransform(-1, 0, 0, 1, 24, 0).map(path);
}

QPainterPath circlePath() {
    QPainterPath path = arc({12, 12}, 8, 120, 150);
    path.addPath(arrowHead(path.pointAtPercent(1), 80));
    QPainterPath other = arc({12, 12}, 8, 300, 150);
    other.addPath(arrowHead(other.pointAtPercent(1), 260));
    return withPath(path, other);
}

using Table = QHash<QString, Shape>;

void addStars(Table& table) {
    table.insert(QStringLiteral("star"), stroked(starPath()));
    table.insert(QStringLiteral("star.fill"),
                 filled(outlineOf(starPath(), 1.6).united(starPath())));
    table.insert(QStringLiteral("star.slash"),
                 stroked(withPath(starPath(), line({3, 3}, {21, 21}))));
    table.insert(QStringLiteral("person.2"), stroked(personPair()));
    table.insert(
        QStringLiteral("mappin"),
        {line({12, 11}, {12, 22}), circle({12, 7}, 4.8).subtracted(circle({10.6, 5.6}, 1.3))});
    table.insert(
        QStringLiteral("tag"),
        stroked(withPath(polyline({{3, 3}, {11.5, 3}, {21, 12.5}, {12.5, 21}, {3, 11.5}}, true),
                         circle({7.8, 7.8}, 1.4))));
    QPainterPath bullets;
    for (int row = 0; row < 3; ++row) {
        bullets.addPath(circle({4.5, 6 + 6.0 * row}, 0.3));
        bullets.addPath(line({9, 6 + 6.0 * row}, {21, 6 + 6.0 * row}));
    }
    table.insert(QStringLiteral("list.bullet"), stroked(bullets));
}

void addFolders(Table& table) {
    table.insert(QStringLiteral("folder"), stroked(folderPath()));
    table.insert(
        QStringLiteral("folder.badge.plus"),
        stroked(withPath(
            polyline({{13, 19}, {2.5, 19}, {2.5, 5}, {9, 5}, {11, 7.5}, {21.5, 7.5}, {21.5, 12}}),
            plus({18.5, 17.5}, 3.5))));
    QPainterPath mark = withPath(folderPath(), line({12, 10.5}, {12, 14}));
    mark.addPath(circle({12, 16.6}, 0.2));
    table.insert(QStringLiteral("exclamationmark.folder"), stroked(mark));
}

void addMedia(Table& table) {
    table.insert(QStringLiteral("photo"), stroked(photoPath({2, 4, 20, 16})));
    table.insert(QStringLiteral("video"),
                 stroked(withPath(roundedRect({1.5, 6, 14, 12}, 2.5),
                                  polyline({{15.5, 10.5}, {22, 7}, {22, 17}, {15.5, 13.5}}))));
    table.insert(QStringLiteral("photo.stack"),
                 stroked(withPath(photoPath({2, 8, 17, 13.5}),
                                  polyline({{5, 5.5}, {21.5, 5.5}, {21.5, 17}}))));
    table.insert(
        QStringLiteral("photo.on.rectangle"),
        stroked(withPath(photoPath({2, 8, 17, 13.5}),
                         polyline({{5.5, 8}, {5.5, 3.5}, {22, 3.5}, {22, 16}, {19, 16}}))));
    table.insert(
        QStringLiteral("photo.on.rectangle.angled"),
        stroked(withPath(photoPath({2, 8, 17, 13.5}),
                         polyline({{6, 8}, {7.2, 2.5}, {22.5, 5.8}, {19.6, 18.5}, {19, 18.4}}))));
    table.insert(QStringLiteral("play.fill"),
                 filled(polyline({{6, 3.5}, {20.5, 12}, {6, 20.5}}, true)));
    table.insert(
        QStringLiteral("play.rectangle"),
        {roundedRect({2, 4.5, 20, 15}, 3), polyline({{9.5, 8.5}, {15.5, 12}, {9.5, 15.5}}, true)});
    table.insert(QStringLiteral("clock"), stroked(withPath(circle({12, 12}, 9), clockHands())));
    QPainterPath history = arc({12, 12}, 9, 200, -300);
    history.addPath(arrowHead(history.pointAtPercent(0), 250));
    table.insert(QStringLiteral("clock.arrow.circlepath"),
                 stroked(withPath(history, clockHands())));
}

// The marks of alerts: solid shapes with the sign cut out, legible at the 32-pixel alert size.
void addAlertMarks(Table& table) {
    const QPainterPath bang =
        withPath(outlineOf(line({12, 8.5}, {12, 14}), 2.4), circle({12, 17.6}, 1.3));
    const QPainterPath triangle = outlineOf(polyline({{12, 3}, {21.5, 20}, {2.5, 20}}, true), 2.5)
                                      .united(polyline({{12, 3}, {21.5, 20}, {2.5, 20}}, true));
    table.insert(QStringLiteral("exclamationmark.triangle.fill"),
                 filled(triangle.subtracted(bang.translated(0, 0.6))));
    QPainterPath octagon;
    for (int i = 0; i < 8; ++i) {
        const double angle = (22.5 + 45.0 * i) * std::numbers::pi / 180.0;
        const QPointF point(12 + 10.4 * std::cos(angle), 12 + 10.4 * std::sin(angle));
        i == 0 ? octagon.moveTo(point) : octagon.lineTo(point);
    }
    octagon.closeSubpath();
    table.insert(QStringLiteral("xmark.octagon.fill"),
                 filled(octagon.subtracted(outlineOf(cross({12, 12}, 4), 2.4))));
    const QPainterPath info =
        withPath(outlineOf(line({12, 11}, {12, 17}), 2.4), circle({12, 7.4}, 1.4));
    table.insert(QStringLiteral("info.circle.fill"), filled(circle({12, 12}, 10).subtracted(info)));
    QPainterPath hook = arc({12, 9.5}, 3.3, 160, -250);
    hook.lineTo(12, 13.8);
    const QPainterPath question = withPath(outlineOf(hook, 2.3), circle({12, 17.4}, 1.35));
    table.insert(QStringLiteral("questionmark.circle.fill"),
                 filled(circle({12, 12}, 10).subtracted(question)));
}

void addMarks(Table& table) {
    const QPainterPath check = polyline({{4, 12.5}, {9.5, 18}, {20, 6}});
    table.insert(QStringLiteral("checkmark"), stroked(check));
    table.insert(QStringLiteral("checkmark.circle"),
                 stroked(withPath(circle({12, 12}, 9.5),
                                  polyline({{7.5, 12.3}, {10.7, 15.5}, {16.5, 8.8}}))));
    table.insert(QStringLiteral("xmark"), stroked(cross({12, 12}, 7)));
    addAlertMarks(table);
    table.insert(QStringLiteral("xmark.circle.fill"),
                 filled(circle({12, 12}, 10).subtracted(outlineOf(cross({12, 12}, 3.8), 2.2))));
    table.insert(QStringLiteral("plus.circle"),
                 stroked(withPath(circle({12, 12}, 9.5), plus({12, 12}, 4.5))));
    table.insert(QStringLiteral("minus.circle"),
                 stroked(withPath(circle({12, 12}, 9.5), line({7.5, 12}, {16.5, 12}))));
    QPainterPath dots = circle({12, 12}, 9.5);
    for (const double x : {7.8, 12.0, 16.2}) {
        dots.addPath(circle({x, 12}, 0.35));
    }
    table.insert(QStringLiteral("ellipsis.circle"), stroked(dots));
    QPainterPath funnel = circle({12, 12}, 9.5);
    funnel.addPath(line({7, 8.5}, {17, 8.5}));
    funnel.addPath(line({8.8, 12}, {15.2, 12}));
    funnel.addPath(line({10.6, 15.5}, {13.4, 15.5}));
    table.insert(QStringLiteral("line.3.horizontal.decrease.circle"), stroked(funnel));
    table.insert(QStringLiteral("trash"), stroked(trashCan()));
    table.insert(
        QStringLiteral("pencil"),
        stroked(withPath(polyline({{15.5, 4.5}, {19.5, 8.5}, {8, 20}, {3.5, 20.5}, {4, 16}}, true),
                         line({13, 7}, {17, 11}))));
    table.insert(QStringLiteral("magnifyingglass"),
                 stroked(withPath(circle({10, 10}, 6.5), line({14.8, 14.8}, {21, 21}))));
}

void addControls(Table& table) {
    table.insert(QStringLiteral("keyboard"), stroked(keyboard()));
    table.insert(QStringLiteral("gearshape"), filled(gear()));
    table.insert(QStringLiteral("icloud"), stroked(cloud()));
    table.insert(QStringLiteral("square.grid.2x2"), stroked(grid()));
    table.insert(QStringLiteral("square.grid.2x2.fill"), filled(grid()));
    table.insert(QStringLiteral("sidebar.right"),
                 stroked(withPath(roundedRect({2, 4, 20, 16}, 2.5), line({15, 4}, {15, 20}))));
    table.insert(QStringLiteral("slider.horizontal.3"), stroked(sliders()));
    table.insert(QStringLiteral("chevron.up"),
                 stroked(polyline({{5, 15.5}, {12, 8.5}, {19, 15.5}})));
    table.insert(QStringLiteral("chevron.down"),
                 stroked(polyline({{5, 8.5}, {12, 15.5}, {19, 8.5}})));
    table.insert(QStringLiteral("chevron.right"),
                 stroked(polyline({{8.5, 5}, {15.5, 12}, {8.5, 19}})));
}

void addArrows(Table& table) {
    table.insert(QStringLiteral("arrow.up"),
                 stroked(withPath(line({12, 20}, {12, 4}), arrowHead({12, 4}, -90, 7))));
    table.insert(QStringLiteral("arrow.down"),
                 stroked(withPath(line({12, 4}, {12, 20}), arrowHead({12, 20}, 90, 7))));
    QPainterPath both = withPath(line({8, 20}, {8, 4}), arrowHead({8, 4}, -90, 4.5));
    both.addPath(withPath(line({16, 4}, {16, 20}), arrowHead({16, 20}, 90, 4.5)));
    table.insert(QStringLiteral("arrow.up.arrow.down"), stroked(both));
    table.insert(QStringLiteral("arrow.up.right"),
                 stroked(withPath(line({5, 19}, {19, 5}), polyline({{9, 5}, {19, 5}, {19, 15}}))));
    QPainterPath clockwise = arc({12, 12.5}, 8, 80, -310);
    clockwise.addPath(arrowHead(clockwise.pointAtPercent(0), 0));
    table.insert(QStringLiteral("arrow.clockwise"), stroked(clockwise));
    table.insert(QStringLiteral("arrow.uturn.backward"), stroked(uturn(true)));
    table.insert(QStringLiteral("arrow.uturn.forward"), stroked(uturn(false)));
    table.insert(QStringLiteral("arrow.triangle.2.circlepath"), stroked(circlePath()));
}

// The marks of the inspector and its editors.
void addEditorMarks(Table& table) {
    table.insert(QStringLiteral("minus"), stroked(line({6, 12}, {18, 12})));
    table.insert(QStringLiteral("plus"), stroked(plus({12, 12}, 7)));
    table.insert(QStringLiteral("return"), stroked(withPath(polyline({{19, 5}, {19, 14}, {5, 14}}),
                                                            arrowHead({5, 14}, 180, 5))));
    QPainterPath dots;
    for (const double x : {5.5, 12.0, 18.5}) {
        dots.addPath(circle({x, 12}, 1.6));
    }
    table.insert(QStringLiteral("ellipsis"), filled(dots));
    QPainterPath lines = line({5, 7}, {19, 7});
    lines.addPath(line({5, 12}, {19, 12}));
    lines.addPath(line({5, 17}, {19, 17}));
    table.insert(QStringLiteral("line.3.horizontal"), stroked(lines));
    QPainterPath pointer = polyline(
        {{8, 6}, {8, 20}, {11.5, 16.5}, {14, 21.5}, {16, 20.5}, {13.5, 15.5}, {18.5, 15.5}}, true);
    pointer.addPath(arc({8, 6}, 4, 200, -130));
    pointer.addPath(arc({8, 6}, 6.5, 200, -130));
    table.insert(QStringLiteral("cursorarrow.click.2"), stroked(pointer));
    QPainterPath stack = roundedRect({4, 9, 16, 12}, 2);
    stack.addPath(line({6, 6}, {18, 6}));
    stack.addPath(line({8, 3}, {16, 3}));
    table.insert(QStringLiteral("square.stack"), stroked(stack));
    QPainterPath forward = roundedRect({3.5, 3.5, 17, 17}, 3);
    forward.addPath(
        withPath(line({9, 15}, {15.5, 8.5}), polyline({{10.5, 8.5}, {15.5, 8.5}, {15.5, 13.5}})));
    table.insert(QStringLiteral("arrow.up.forward.square"), stroked(forward));
    QPainterPath shield = polyline({{12, 3}, {19.5, 6}, {19.5, 11.5}});
    shield.cubicTo(19.5, 16, 16, 19.5, 12, 21);
    shield.cubicTo(8, 19.5, 4.5, 16, 4.5, 11.5);
    shield.lineTo(4.5, 6);
    shield.closeSubpath();
    shield.addPath(polyline({{8.5, 12}, {11, 14.5}, {15.5, 9.5}}));
    table.insert(QStringLiteral("checkmark.shield"), stroked(shield));
    QPainterPath body = roundedRect({5, 11, 14, 10}, 2);
    table.insert(QStringLiteral("lock.fill"), {arc({12, 11}, 4.5, 0, 180), body});
}

Table makeTable() {
    Table table;
    addStars(table);
    addFolders(table);
    addMedia(table);
    addMarks(table);
    addControls(table);
    addArrows(table);
    addEditorMarks(table);
    return table;
}

}  // namespace

const QHash<QString, BrowserIconShape>& browserIconShapes() {
    static const Table table = makeTable();
    return table;
}

}  // namespace lumivex
