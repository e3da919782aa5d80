#include "ui/ftarvel_window.h"

#include "core/ftarvel.h"
#include "platform/qt/qt_controls.h"
#include "platform/runtime.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QRect>
#include <QScreen>
#include <QStringList>
#include <QStyle>

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

// Arial where the system has it, otherwise its metric twin from fonts-liberation.
QFont arial(double points, bool bold = false, bool italic = false) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// MS Sans Serif, or its outline successor on Windows; elsewhere Liberation Sans, which has
// the same size and weight and near enough the same widths.
QFont msSansSerif(double points, bool bold = false) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void setColour(QWidget& widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(role, colour);
    widget.setPalette(palette);
}

// The category list always has a selection: the converter reads its current row, and a
// row shown as unselected while it is in force would mislead. Ctrl+click and Ctrl+Space,
// which would deselect the row in a single-selection list, do nothing here.
class CategoryList final : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override {
        const QItemSelectionModel::SelectionFlags command =
            QListWidget::selectionCommand(index, event);
        if (command.testFlag(QItemSelectionModel::Deselect) ||
            command.testFlag(QItemSelectionModel::Toggle) || !index.isValid()) {
            return QItemSelectionModel::NoUpdate;
        }
        return command;
    }
};

template <class Control>
Control* place(Control* control, const char* name, const QRect& geometry, const QFont& font) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(geometry);
    control->setFont(font);
    return control;
}

}  // namespace

void prepareApplication(QApplication& app) {
    loadResources();
    app.setApplicationName(QStringLiteral("conversor-unidades"));
    app.setApplicationVersion(QStringLiteral("1.00"));
    app.setWindowIcon(QIcon(kIcon));
}

fTarvelWindow::fTarvelWindow(platform::Runtime& runtime, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      runtime_(runtime) {
    loadResources();
    banner_ = QPixmap(kBanner);

    setWindowTitle(QStringLiteral("Conversor de unidades"));
    setWindowIcon(QIcon(kIcon));
    setFixedSize(kClientSize);
    setFont(msSansSerif(8.25));
    setColour(*this, QPalette::Window, Qt::white);
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
    label1_ = std::make_unique<platform::LabelAccess>(*Label1);
    // The form runs its start-up sequence here, so "Text1" and "Text2" are replaced before
    // the window is ever shown.
    form_ = std::make_unique<core::fTarvel>(
        core::Controles{*list1_, *combo1_, *combo2_, *ua_, *ub_, *label1_}, runtime_);
    connectForm();

    UA->setFocus();
}

fTarvelWindow::~fTarvelWindow() {
    QObject::disconnect(close_);
    form_.reset();  // unwires every handler before the adapters and the widgets go
}

void fTarvelWindow::createControls() {
    // Creation order decides stacking where neighbours touch: UA lies over Combo1's edge.
    Command1 = place(new QPushButton(QStringLiteral("Cerrar"), this), "Command1",
                     QRect(4, 248, 445, 25), arial(12, true, true));
    List1 = place(new CategoryList(this), "List1", QRect(276, 0, 177, 200), arial(8.25));
    Combo2 = place(new QComboBox(this), "Combo2", QRect(324, 216, 97, 24), arial(9.75, true));
    Combo1 = place(new QComboBox(this), "Combo1", QRect(108, 216, 97, 24), arial(9.75, true));
    UB = place(new QLineEdit(QStringLiteral("Text2"), this), "UB", QRect(244, 216, 81, 24),
               arial(9.75, true));
    UA = place(new QLineEdit(QStringLiteral("Text1"), this), "UA", QRect(28, 216, 81, 24),
               arial(9.75, true));
    Label2 = place(new QLabel(QStringLiteral("="), this), "Label2", QRect(216, 216, 21, 23),
                   msSansSerif(13.5, true));
    Label1 = place(new QLabel(this), "Label1", QRect(192, 300, 133, 17), msSansSerif(8.25));

    // Neither the default nor the cancel button: Enter and Escape never press it.
    Command1->setAutoDefault(false);
    Command1->setDefault(false);

    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setSortingEnabled(false);
    setColour(*List1, QPalette::Base, QColor(128, 0, 0));
    setColour(*List1, QPalette::Text, Qt::white);

    // Drop-down lists: the closed box shows the chosen unit and takes no typing.
    Combo1->setEditable(false);
    Combo2->setEditable(false);

    for (QLabel* label : {Label1, Label2}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
    }
    setColour(*Label1, QPalette::WindowText, QColor(255, 0, 0));

    QWidget::setTabOrder(UA, UB);
    QWidget::setTabOrder(UB, Combo1);
    QWidget::setTabOrder(Combo1, Combo2);
    QWidget::setTabOrder(Combo2, List1);
    QWidget::setTabOrder(List1, Command1);
}

void fTarvelWindow::connectForm() {
    close_ = connect(Command1, &QPushButton::clicked, this, [this] { form_->Command1_Click(); });
}

void fTarvelWindow::paintEvent(QPaintEvent* /*event*/) {
    // At its own size from the top-left corner; the widget's edge clips what does not fit.
    QPainter painter(this);
    painter.drawPixmap(0, 0, banner_);
}

void fTarvelWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    runtime_.end();
}

}  // namespace tarvel::ui
