#include "ui/qt/ftarvel_window.h"

#include "core/ftarvel.h"
#include "platform/qt/qt_controls.h"
#include "platform/runtime.h"
#include "tarvel_version.h"
#include "ui/layout.h"
#include "ui/qt/accessibility.h"
#include "ui/qt/controls.h"
#include "ui/qt/message_line.h"

#include <QApplication>
#include <QByteArray>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QFontDatabase>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QRect>
#include <QResource>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QTimer>
#include <QTransform>
#include <QTranslator>

#include <cstdint>
#include <initializer_list>
#include <string_view>

// The embedded banner and icon live in this static library; register them before first use.
static void initEmbeddedResources() { Q_INIT_RESOURCE(conversor); }

namespace tarvel::ui {
namespace {

void loadResources() {
    static const bool loaded = [] {
        initEmbeddedResources();
        return true;
    }();
    (void)loaded;
}

const QString kBanner = QStringLiteral(":/banner.bmp");
const QString kIcon = QStringLiteral(":/icon.ico");

// The first of a face's families that the system has, looked up once. Naming absent faces in
// every font instead would send each font the window builds through the font matcher's
// fallback search for each of them.
QString firstInstalled(layout::Face face) {
    const QStringList installed = QFontDatabase::families();
    QString family;
    for (const std::string_view wanted : layout::families(face)) {
        family = QString::fromUtf8(wanted.data(), static_cast<qsizetype>(wanted.size()));
        if (installed.contains(family, Qt::CaseInsensitive)) {
            break;
        }
    }
    return family;
}

QFont fontOf(const layout::Font& wanted) {
    static const QString arial = firstInstalled(layout::Face::Arial);
    static const QString msSansSerif = firstInstalled(layout::Face::MsSansSerif);
    QFont font(wanted.face == layout::Face::Arial ? arial : msSansSerif);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(wanted.points);
    font.setBold(wanted.bold);
    font.setItalic(wanted.italic);
    return font;
}

// The bytes of an embedded file, read as little-endian numbers. The images are read from here
// rather than through Qt's image plugins: those would load and probe every image format (and
// the SVG module with them), decompress and convert, all before the window can show.
class Embedded {
public:
    explicit Embedded(const QString& path) : resource_(path) {
        if (resource_.isValid() && !stored()) {
            inflated_ = resource_.uncompressedData();
        }
    }
    /// True when the bytes lie in the executable as they are, for as long as it runs.
    [[nodiscard]] bool stored() const {
        return resource_.compressionAlgorithm() == QResource::NoCompression;
    }
    /// True when [at, at + bytes) lies within the file.
    [[nodiscard]] bool has(qint64 at, qint64 bytes) const {
        return at >= 0 && bytes >= 0 && at + bytes <= size();
    }
    [[nodiscard]] std::uint32_t number(qint64 at, int bytes) const {
        std::uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i) {
            value = value << 8 | data()[at + i];
        }
        return value;
    }
    [[nodiscard]] const uchar* data() const {
        return stored() ? resource_.data() : reinterpret_cast<const uchar*>(inflated_.constData());
    }
    [[nodiscard]] qint64 size() const { return stored() ? resource_.size() : inflated_.size(); }

private:
    QResource resource_;
    QByteArray inflated_;
};

// A plain 24-bit bitmap's pixels, rows bottom-up as the file stores them, lying on the file's
// bytes; a null image for any other kind of file.
QImage bitmapRows(const Embedded& file) {
    constexpr qint64 kHeader = 54;
    if (!file.has(0, kHeader) || file.number(0, 2) != 0x4D42 /* "BM" */ ||
        file.number(28, 2) != 24 || file.number(30, 4) != 0) {
        return {};
    }
    const qint64 pixels = file.number(10, 4);
    const auto width = static_cast<std::int32_t>(file.number(18, 4));
    const auto height = static_cast<std::int32_t>(file.number(22, 4));  // > 0: bottom-up
    const qint64 stride = (qint64{width} * 3 + 3) / 4 * 4;
    if (width <= 0 || height <= 0 || !file.has(pixels, stride * height)) {
        return {};
    }
    return {file.data() + pixels, width, height, stride, QImage::Format_BGR888};
}

// The banner's pixels where they lie: the resource is kept uncompressed, so nothing is
// decoded or copied at start-up, and paintEvent flips the rows upright. Should it not be a
// plain 24-bit bitmap, it is decoded and turned over.
QImage bannerRows() {
    const Embedded file(kBanner);
    const QImage rows = bitmapRows(file);
    if (rows.isNull()) {
        return QImage(kBanner).mirrored();
    }
    return file.stored() ? rows : rows.copy();
}

// A larger emblem, upright, in the 32-bit form a pixmap keeps, made in one pass: going through
// the toolkit's general conversions would cost more than reading it.
QImage largeEmblem(int size) {
    const Embedded file(QStringLiteral(":/emblem-%1.bmp").arg(size));
    const QImage rows = bitmapRows(file);
    if (rows.isNull()) {
        return {};
    }
    const int width = rows.width();
    const int height = rows.height();
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const uchar* in = rows.constScanLine(height - 1 - y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x, in += 3) {
            out[x] = qRgb(in[2], in[1], in[0]);  // stored blue first
        }
    }
    return image;
}

// The emblem: the icon file's first image, a bitmap of up to 256 colours whose mask marks
// the see-through pixels. Any other form of icon goes to the image plugins after all.
QIcon smallEmblem() {
    const Embedded file(kIcon);
    constexpr qint64 kDirectory = 22;  // the header and the first entry
    constexpr qint64 kInfo = 40;       // the bitmap's own header
    if (!file.has(0, kDirectory) || file.number(0, 4) != 0x00010000 || file.number(4, 2) == 0) {
        return QIcon(kIcon);
    }
    const qint64 at = file.number(18, 4);
    if (!file.has(at, kInfo)) {
        return QIcon(kIcon);
    }
    const auto width = static_cast<std::int32_t>(file.number(at + 4, 4));
    const auto height = static_cast<std::int32_t>(file.number(at + 8, 4)) / 2;  // colour + mask
    const auto depth = static_cast<int>(file.number(at + 14, 2));
    const qint64 used = file.number(at + 32, 4);
    const qint64 colours = used != 0 ? used : qint64{1} << depth;
    const qint64 colourStride = (qint64{width} * depth + 31) / 32 * 4;
    const qint64 maskStride = (qint64{width} + 31) / 32 * 4;
    const qint64 palette = at + kInfo;
    const qint64 pixels = palette + colours * 4;
    const qint64 mask = pixels + colourStride * height;
    if (width <= 0 || width > 256 || height <= 0 || height > 256 ||
        (depth != 1 && depth != 4 && depth != 8) || file.number(at + 16, 4) != 0 ||
        colours > (qint64{1} << depth) ||
        !file.has(palette, mask + maskStride * height - palette)) {
        return QIcon(kIcon);
    }
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        const qint64 row = height - 1 - y;  // stored bottom-up
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const qint64 bit = qint64{x} * depth;
            const int index = (file.data()[pixels + row * colourStride + bit / 8] >>
                               (8 - depth - bit % 8)) & ((1 << depth) - 1);
            const bool clear = (file.data()[mask + row * maskStride + x / 8] >> (7 - x % 8)) & 1;
            const qint64 entry = palette + qint64{index < colours ? index : 0} * 4;
            out[x] = clear ? 0 : qRgb(file.data()[entry + 2], file.data()[entry + 1],
                                      file.data()[entry]);
        }
    }
    return QIcon(QPixmap::fromImage(std::move(image)));
}

// The window's icon: the program file's 32-pixel emblem, and the larger renderings the menu
// entry has, so that task switchers need not enlarge the small one.
QIcon emblem() {
    QIcon icon = smallEmblem();
    for (const int size : {64, 128, 256}) {
        if (QImage image = largeEmblem(size); !image.isNull()) {
            icon.addPixmap(QPixmap::fromImage(std::move(image)));
        }
    }
    return icon;
}

QColor colour(layout::Colour c) { return {c.red, c.green, c.blue}; }

void setColour(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(role, colour);
    widget.setPalette(palette);
}

// Names a unit list for screen readers. Windows reads the accessible name; Qt on Linux
// gives a drop-down list its chosen item as name and finds what the list is through the
// label whose buddy it is. That label is never shown: the window has no room for it, and a
// reader still follows the relation to it.
void nameUnitList(QComboBox& list, const QString& name) {
    list.setAccessibleName(name);
    auto* label = new QLabel(name, list.parentWidget());
    label->hide();
    label->setBuddy(&list);
}

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// A control named, placed, lettered and described as the window's description says.
template <class Control>
Control* place(Control* control, std::string_view name) {
    const layout::Control& described = layout::control(name);
    const layout::Rect& at = described.place;
    control->setObjectName(text(name));
    control->setGeometry(at.x, at.y, at.width, at.height);
    control->setFont(fontOf(described.font));
    control->setAccessibleDescription(text(described.accessibleDescription));
    return control;
}

// The toolkit's own texts (a text box's context menu, ...) in Spanish like the rest of the
// window, whatever language the desktop speaks. Qt's catalogue for Spanish comes with the
// system's Qt (Debian: qt6-translations-l10n) or is deployed beside the program (Windows).
void translateToolkit(QApplication& app) {
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* spanish = new QTranslator(&app);
    if (spanish->load(QStringLiteral("qtbase_es"), folder) ||
        spanish->load(QStringLiteral("qt_es"), folder)) {
        QCoreApplication::installTranslator(spanish);
    } else {
        delete spanish;
    }
}

}  // namespace

void prepareApplication(QApplication& app) {
    loadResources();
    app.setApplicationName(QStringLiteral("conversor-unidades"));
    app.setApplicationVersion(
        QString::fromUtf8(kVersion.data(), static_cast<qsizetype>(kVersion.size())));
    // Lets the desktop match the running window to its menu entry and icon.
    app.setDesktopFileName(QStringLiteral("conversor-unidades"));
    // The 32-pixel emblem at once. The larger ones cost more to read and to hand to the desktop
    // than the rest of start-up: they follow once the window is on its way, a moment later.
    app.setWindowIcon(smallEmblem());
    QTimer::singleShot(0, &app, [&app] { app.setWindowIcon(emblem()); });
    translateToolkit(app);
}

fTarvelWindow::fTarvelWindow(platform::Runtime& runtime, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      runtime_(runtime) {
    loadResources();
    registerAccessibility();  // before any control is described to a screen reader
    banner_ = bannerRows();

    setWindowTitle(text(layout::kCaption));
    // A window without an icon of its own shows the application's; setting that again would
    // only send it to the desktop twice.
    if (QApplication::windowIcon().isNull()) {
        setWindowIcon(emblem());
    }
    setFixedSize(kClientSize);
    setFont(fontOf(layout::kWindowFont));
    setColour(*this, QPalette::Window, colour(layout::kWindowBackground));
    setAutoFillBackground(true);
    if (const QScreen* desktop = screen()) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, kClientSize,
                                        desktop->availableGeometry()));
    }

    createControls();

    list1_ = std::make_unique<platform::ListWidgetAccess>(*List1);
    combo1_ = std::make_unique<platform::ComboBoxAccess>(*Combo1);
    combo2_ = std::make_unique<platform::ComboBoxAccess>(*Combo2);
    ua_ = std::make_unique<platform::LineEditAccess>(*UA);
    ub_ = std::make_unique<platform::LineEditAccess>(*UB);
    label1_ = std::make_unique<MessageLineAccess>(static_cast<MessageLine&>(*Label1));
    command1_ = std::make_unique<platform::PushButtonAccess>(*Command1);
    // The form runs its start-up sequence here, so "Text1" and "Text2" are replaced before
    // the window is ever shown.
    form_ = std::make_unique<core::fTarvel>(
        core::Controles{*list1_, *combo1_, *combo2_, *ua_, *ub_, label1_->access, *command1_},
        runtime_);

    UA->setFocus();
}

fTarvelWindow::~fTarvelWindow() {
    form_.reset();  // unwires every handler before the adapters and the widgets go
}

void fTarvelWindow::createControls() {
    // Creation order decides stacking where neighbours touch: UA lies over Combo1's edge.
    Command1 = place(new QPushButton(this), "Command1");
    List1 = place(new CategoryList(this), "List1");
    Combo2 = place(new UnitList(this), "Combo2");
    Combo1 = place(new UnitList(this), "Combo1");
    // The texts go in once each control has its own font, so they are laid out only in that one.
    UB = place(new ValueBox(this), "UB");
    UA = place(new ValueBox(this), "UA");
    Label2 = place(new QLabel(this), "Label2");
    Label1 = place(new MessageLine(this), "Label1");
    for (QWidget* control : std::initializer_list<QWidget*>{Command1, UB, UA, Label2}) {
        const QString initial = text(layout::control(control->objectName().toStdString()).text);
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            button->setText(initial);
        } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
            box->setText(initial);
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            label->setText(initial);
        }
    }

    // Neither the default nor the cancel button: Enter and Escape never press it.
    Command1->setAutoDefault(false);
    Command1->setDefault(false);

    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setSortingEnabled(false);
    setColour(*List1, QPalette::Base, colour(layout::kCategoryBackground));
    setColour(*List1, QPalette::Text, colour(layout::kCategoryText));

    // Drop-down lists: the closed box shows the chosen unit and takes no typing.
    Combo1->setEditable(false);
    Combo2->setEditable(false);

    for (QLabel* label : {Label1, Label2}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
    }
    // Both are drawn straight on the window's white, whatever the desktop's colours: under a
    // dark scheme the desktop's text colour is light and the "=" would vanish.
    setColour(*Label1, QPalette::WindowText, colour(layout::kMessageText));
    setColour(*Label2, QPalette::WindowText, colour(layout::kEqualsText));

    // What a screen reader says on reaching each control: the window's equation layout is
    // not seen, so each name says which side it belongs to. Label1's name is its message.
    for (QWidget* control : std::initializer_list<QWidget*>{List1, UA, UB, Command1}) {
        control->setAccessibleName(
            text(layout::control(control->objectName().toStdString()).accessibleName));
    }
    nameUnitList(*Combo1, text(layout::control("Combo1").accessibleName));
    nameUnitList(*Combo2, text(layout::control("Combo2").accessibleName));

    QWidget* previous = nullptr;
    for (const std::string_view name : layout::kTabOrder) {
        auto* next = findChild<QWidget*>(text(name), Qt::FindDirectChildrenOnly);
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, next);
        }
        previous = next;
    }
}

void fTarvelWindow::paintEvent(QPaintEvent* /*event*/) {
    // At its own size from the top-left corner; the widget's edge clips what does not fit.
    // The rows are stored bottom-up: the flip puts the first one at the bottom.
    QPainter painter(this);
    painter.setTransform(QTransform(1, 0, 0, -1, 0, banner_.height()));
    painter.drawImage(0, 0, banner_);
}

void fTarvelWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    runtime_.end();
}

}  // namespace tarvel::ui
