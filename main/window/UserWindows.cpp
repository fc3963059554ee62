#include "main/window/UserWindows.h"

#include "common/ExchangeFiles.h"
#include "common/FileLookup.h"
#include "main/records/ReferenceLoader.h"
#include "main/records/UserFiles.h"
#include "main/window/Controls.h"
#include "main/window/Messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include <stdexcept>

namespace velnor {
namespace {

// Captions and messages of the user and body-part windows.
const char* const kRegistrationTitle = "ユーザー名登録";
const char* const kChangeTitle = "ユーザー名変更";
const char* const kWelcome = "ようこそ Velnor_V17 へ";
const char* const kEnterName = "ユーザー名を入力して下さい";
const char* const kEnterNewName = "新しいユーザー名を入力して下さい";
const char* const kHint1 = "漢字，アルファベット，数字，記号 何でも OK";
const char* const kHint2 = "本名，ニックネーム，施設名，グループ名 など";
const char* const kMascotHint1 = "初期画面上右端のマスコット犬をダブルクリックすると";
const char* const kMascotHint2 = "ユーザー名を変更できます";
const char* const kTerms1 = "Velnor_V17 の利用条件について";
const char* const kTerms2 = "“はじめにお読み下さい.txt”";
const char* const kTerms3 = "を必ずお読み下さい";
const char* const kNoName = "名前が入力されていません";
const char* const kNameNotOneLine = "　改行やタブを含む名前は登録できません　";
const char* const kNotStored = "　ユーザー名を保存できませんでした　";
const char* const kBodyPartsTitle = " 照射部位追加・削除";
const char* const kBodyParts = "照射部位";
const char* const kCountPrefix = "現在の部位数 = ";
const char* const kMaximum = "（最大 30 部位）";
const char* const kNewPart = "追加部位";
const char* const kEnterPart = "部位を記入して下さい";
const char* const kChoosePart = "削除する部位を選択して下さい";
const char* const kPartRefused = "　この部位は追加できません　";
const char* const kListNotWritten = "　照射部位ファイルを書き換えられませんでした　";

using controls::button;

} // namespace

MascotPicture::MascotPicture(QWidget* parent) : QWidget(parent)
{
    setObjectName("Picture1");
    setFixedSize(96, 84);
    setToolTip("ダブルクリック");
}

void MascotPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(width() / 96.0, height() / 84.0);
    paintMascotDog(p);
    p.setPen(QColor(40, 30, 25));
    QFont f = font();
    f.setPixelSize(11);
    p.setFont(f);
    p.drawText(QRectF(0, 62, 96, 20), Qt::AlignCenter, "ダブルクリック");
}

void paintMascotDog(QPainter& p)
{
    const QColor fur(222, 170, 110), dark(120, 72, 40), ink(40, 30, 25);
    p.setPen(QPen(dark, 1.5));
    // Ears, hanging.
    p.setBrush(dark);
    p.drawEllipse(QRectF(18, 14, 18, 30));
    p.drawEllipse(QRectF(60, 14, 18, 30));
    // Head and muzzle.
    p.setBrush(fur);
    p.drawEllipse(QRectF(24, 10, 48, 44));
    p.setBrush(QColor(245, 225, 195));
    p.drawEllipse(QRectF(36, 32, 24, 18));
    // Eyes with a light spot, nose, smile and tongue.
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.drawEllipse(QRectF(37, 25, 6, 7));
    p.drawEllipse(QRectF(53, 25, 6, 7));
    p.drawEllipse(QRectF(44, 33, 8, 6));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(39, 26, 2, 2));
    p.drawEllipse(QRectF(55, 26, 2, 2));
    p.setBrush(QColor(235, 110, 120));
    p.drawEllipse(QRectF(45, 43, 6, 6));
    p.setPen(QPen(ink, 1.4));
    p.setBrush(Qt::NoBrush);
    QPainterPath smile;
    smile.moveTo(42, 41);
    smile.quadTo(45, 45, 48, 41);
    smile.quadTo(51, 45, 54, 41);
    p.drawPath(smile);
    // A collar and the caption under it.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 110, 200));
    p.drawRoundedRect(QRectF(34, 52, 28, 5), 2, 2);
}

void MascotPicture::mouseDoubleClickEvent(QMouseEvent*) { emit doubleClicked(); }

UserNameDialog::UserNameDialog(Mode mode, Messages& messages, const std::filesystem::path& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_mode(mode), m_messages(messages), m_folder(folder)
{
    const bool registration = mode == Mode::Registration;
    setObjectName(registration ? "UserRegistration" : "UserChange");
    setWindowTitle(registration ? kRegistrationTitle : kChangeTitle);
    auto* layout = new QVBoxLayout(this);
    if (registration) {
        layout->addWidget(controls::heading(kWelcome, this, 5, true));
    }
    layout->addWidget(new QLabel(registration ? kEnterName : kEnterNewName, this));
    m_name = new QLineEdit(this);
    m_name->setObjectName("Text1");
    layout->addWidget(m_name);
    layout->addWidget(new QLabel(QString(kHint1) + "\n" + kHint2, this));
    if (registration) {
        layout->addWidget(new QLabel(QString(kMascotHint1) + "\n" + kMascotHint2, this));
        layout->addWidget(new QLabel(QString(kTerms1) + "\n" + kTerms2 + " " + kTerms3, this));
    }
    auto* ok = button("Command1", "OK", this);
    auto* cancel = button("Command2", "Cancel", this);
    layout->addLayout(controls::buttonRow({ok, cancel}));
    connect(m_name, &QLineEdit::returnPressed, this, &UserNameDialog::accept);
    connect(ok, &QPushButton::clicked, this, &UserNameDialog::accept);
    connect(cancel, &QPushButton::clicked, this, [this] {
        hide();
        if (m_mode == Mode::Registration)
            emit userNamed(kGuestUserName, false);
    });
}

void UserNameDialog::open(const QString& currentName)
{
    m_name->setText(currentName);
    controls::bringForward(this);
    m_name->setFocus();
}

void UserNameDialog::accept()
{
    const QString name = m_name->text();
    if (name.isEmpty()) {
        m_messages.warn(kNoName);
        return;
    }
    if (const std::optional<Reason> fault = userNameFault(name.toStdString())) {
        m_messages.warn(kNameNotOneLine, QString::fromStdString(inJapanese(*fault)));
        return; // the dialog stays open for a correction
    }
    try {
        writeUserName(findFileIgnoringCase(m_folder, files::kPrimary), name.toStdString());
    } catch (const std::exception& e) {
        // The file keeps its reference lines untouched; the name holds for this run.
        m_messages.warn(kNotStored, detailOf(e));
        hide();
        emit userNamed(name, false);
        return;
    }
    hide();
    emit userNamed(name, true);
}

BodyPartDialog::BodyPartDialog(Messages& messages, const std::filesystem::path& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_messages(messages), m_folder(folder)
{
    setObjectName("BodyParts");
    setWindowTitle(kBodyPartsTitle);
    m_list = new QListWidget(this);
    m_list->setObjectName("List1");
    m_count = new QLabel(this);
    m_count->setObjectName("Label2");
    m_name = new QLineEdit(this);
    m_name->setObjectName("Text1");
    auto* add = button("Command1", "追加", this);
    auto* remove = button("Command2", "削除", this);
    auto* cancel = button("Command3", "Cancel", this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(kBodyParts, this));
    layout->addWidget(m_list, 1);
    auto* countRow = new QHBoxLayout;
    countRow->addWidget(m_count);
    countRow->addWidget(new QLabel(kMaximum, this));
    countRow->addStretch();
    layout->addLayout(countRow);
    layout->addWidget(new QLabel(kNewPart, this));
    layout->addWidget(m_name);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    resize(320, 480);
    connect(add, &QPushButton::clicked, this, &BodyPartDialog::add);
    connect(remove, &QPushButton::clicked, this, &BodyPartDialog::remove);
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
}

void BodyPartDialog::open()
{
    m_list->clear();
    try {
        for (const std::string& part : readBodyParts(findFileIgnoringCase(m_folder, files::kBodyParts)))
            m_list->addItem(QString::fromStdString(part));
    } catch (const std::exception&) {
    }
    m_count->setText(kCountPrefix + QString::number(m_list->count()));
    m_name->clear();
    controls::bringForward(this);
    m_name->setFocus();
}

void BodyPartDialog::add()
{
    const QString name = m_name->text();
    if (name.isEmpty()) {
        m_messages.warn(kEnterPart);
        return;
    }
    try {
        addBodyPart(findFileIgnoringCase(m_folder, files::kBodyParts), name.toStdString());
    } catch (const std::invalid_argument& e) {
        m_messages.warn(kPartRefused, detailOf(e));
        return;
    } catch (const std::exception& e) {
        m_messages.warn(kListNotWritten, detailOf(e));
        return;
    }
    hide();
    emit added(name);
}

void BodyPartDialog::remove()
{
    QListWidgetItem* item = controls::chosenItem(m_list);
    if (!item) {
        m_messages.warn(kChoosePart);
        return;
    }
    const QString name = item->text();
    if (!m_messages.askOkCancel("*※* 本当に " + name + " を削除してもいいですか？ *※*"))
        return;
    try {
        removeBodyPart(findFileIgnoringCase(m_folder, files::kBodyParts), name.toStdString());
    } catch (const std::exception& e) {
        m_messages.warn(kListNotWritten, detailOf(e));
        return;
    }
    open(); // the list as the file now holds it
    emit removed();
}

} // namespace velnor
