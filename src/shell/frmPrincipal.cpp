// The main window's controls and menu: banner, logo, status bar, the menu tree and its items.
#include "frmPrincipal.h"

#include <map>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "AutoResize.h"
#include "Clock.h"
#include "Formats.h"
#include "Forms.h"
#include "Keyboard.h"
#include "MenuTable.h"
#include "Updater.h"
#include "frmPrincipal_p.h"

namespace vtx {

namespace {

/// The maker's web address, shown in the status bar.
const QString kSiteFabricante = QStringLiteral("www.morvisca.com.br");

QLabel* addPanel(QStatusBar* bar, const QString& name, int stretch) {
    auto* panel = new QLabel(bar);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    bar->addWidget(panel, stretch);
    return panel;
}

bool opensSubMenu(const MenuEntry& entry) {
    for (const MenuEntry& other : menuTable())
        if (QLatin1String(other.parent) == QLatin1String(entry.name))
            return true;
    return false;
}

} // namespace

frmPrincipal::frmPrincipal() : d(std::make_unique<Private>()) {
    setObjectName(QStringLiteral("frmPrincipal"));
    buildUi();
    buildMenu();
    Forms::setMenuState([this](const QString& name) {
        auto* action = findChild<QAction*>(name);
        return !action || action->isEnabled();
    });
    auto* preview = new KeyPreview(this);
    preview->enterAsTab = false;
    preview->upperCase = false;
    preview->keyDown = [this](int key, Qt::KeyboardModifiers) {
        if (key != Qt::Key_F10)
            return false;
        mnuoff_Click();
        return true;
    };
    new AutoResize(this);
    Form_Load();
}

frmPrincipal::~frmPrincipal() {
    Forms::setMenuState({});
}

void frmPrincipal::buildUi() {
    setWindowTitle(QStringLiteral("Vertalumex 1.0"));
    resize(1024, 700);
    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("area"));
    setCentralWidget(area);

    d->Image1 = new QLabel(area);
    d->Image1->setObjectName(QStringLiteral("Image1"));
    d->Image1->setScaledContents(true);
    d->Image1->hide();

    d->cmdST = new QPushButton(QStringLiteral("Aguarde... iniciando..."), area);
    d->cmdST->setObjectName(QStringLiteral("cmdST"));
    d->cmdST->setFont(QFont(QStringLiteral("Arial"), 12));
    d->cmdST->setFocusPolicy(Qt::NoFocus);
    d->cmdST->setGeometry(16, 16, 992, 40);

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sRodape"));
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::Monospace);
    courier.setPointSizeF(8.25);
    bar->setFont(courier);
    QLabel* site = addPanel(bar, QStringLiteral("sRodapePanel1"), 2);
    site->setText(kSiteFabricante);
    site->setToolTip(kSiteFabricante);
    d->datePanel = addPanel(bar, QStringLiteral("sRodapePanel2"), 1);
    d->userPanel = addPanel(bar, QStringLiteral("sRodapePanel3"), 2);
    d->userPanel->setText(QStringLiteral("Usuário:"));
    d->userPanel->setToolTip(QStringLiteral("Usuário:"));
    auto showDate = [this] { d->datePanel->setText(Formats::dateText(Clock::today())); };
    showDate();
    auto* dateTimer = new QTimer(this);
    connect(dateTimer, &QTimer::timeout, this, showDate);
    dateTimer->start(60 * 1000);
}

void frmPrincipal::buildMenu() {
    menuBar()->setObjectName(QStringLiteral("menuBar"));
    std::map<QString, QMenu*> subMenus;
    for (const MenuEntry& entry : menuTable()) {
        const QString name = QLatin1String(entry.name);
        const QString caption = QString::fromUtf8(entry.caption);
        QMenu* parent = entry.parent[0] ? subMenus.at(QLatin1String(entry.parent)) : nullptr;
        QAction* action = nullptr;
        if (opensSubMenu(entry)) {
            QMenu* menu = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
            menu->setObjectName(name);
            subMenus[name] = menu;
            action = menu->menuAction();
        } else {
            action = parent ? parent->addAction(caption) : menuBar()->addAction(caption);
            connect(action, &QAction::triggered, this, [this, &entry] { menuChosen(entry); });
        }
        action->setObjectName(name);
        action->setProperty("HelpContextID", entry.level);
        d->menuControls << action;
    }
}

void frmPrincipal::menuChosen(const MenuEntry& entry) {
    const QLatin1String name(entry.name);
    if (name == QLatin1String("mnuoff"))
        mnuoff_Click();
    else if (name == QLatin1String("mnuupdate"))
        mnuupdate_Click();
    else
        Forms::open(QLatin1String(entry.formName), QString::fromUtf8(entry.formCaption));
}

QList<QAction*> frmPrincipal::menuControls() const {
    return d->menuControls;
}

void frmPrincipal::setBanner(const QString& text) {
    d->cmdST->setText(text);
}

void frmPrincipal::setUserPanel(const QString& text) {
    d->userPanel->setText(text);
}

void frmPrincipal::mnuupdate_Click() {
    BaixaAtualizacao();
}

} // namespace vtx
