#include "ui/keys/KeyMarkDlg.h"

#include <QPainter>
#include <QMouseEvent>
#include <QShowEvent>
#include <QWindow>
#include <algorithm>

#include "ui/skin/PngBtn.h"
#include "ui/skin/SkinImages.h"

namespace {

QImage ToArgb(const QImage& img) { return img.isNull() ? img : img.convertToFormat(QImage::Format_ARGB32); }

}  // namespace

CKeyMarkDlg::CKeyMarkDlg(const PageContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx)
{
    for (int i = 0; i < kMsKeyCount; ++i) {
        auto* pMark = new CPngBtn(this);
        pMark->setCheckable(true);
        pMark->setFocusPolicy(Qt::NoFocus);
        pMark->hide();
        connect(pMark, &QAbstractButton::clicked, this, [this, i] {
            HighlightMark(m_nLit);  // the click does not toggle the lit state
            emit MarkClicked(i);
        });
        m_marks[size_t(i)] = pMark;
    }
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CKeyMarkDlg::StepPreview);
    Reload();
}

CPngBtn* CKeyMarkDlg::Mark(int nSlot) const
{
    return nSlot >= 0 && nSlot < kMsKeyCount ? m_marks[size_t(nSlot)] : nullptr;
}

void CKeyMarkDlg::Reload()
{
    // The pictures at their files' pixels, whatever the screen's pixel ratio:
    // the lighting mask and the mark rectangles are in those pixels.
    const auto load = [](const QString& strName) {
        return ToArgb(skin::LoadImageFile(skin::MousePath(strName), 1.0, 1.0));
    };
    m_imgNormal = load(QStringLiteral("mouse_nr.png"));
    m_imgDown = load(QStringLiteral("mouse_dn.png"));
    if (m_imgDown.isNull() || m_imgDown.size() != m_imgNormal.size()) m_imgDown = m_imgNormal;
    const int w = m_imgNormal.width(), h = m_imgNormal.height();
    m_rgb.assign(size_t(w) * size_t(h) * 3, 0);
    for (int y = 0; y < h; ++y) {
        const auto* pLine = reinterpret_cast<const QRgb*>(m_imgNormal.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            uint8_t* px = &m_rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
            px[0] = uint8_t(qRed(pLine[x]));
            px[1] = uint8_t(qGreen(pLine[x]));
            px[2] = uint8_t(qBlue(pLine[x]));
        }
    }
    // A mask that is missing or of another size leaves the picture without
    // preview colours; the picture itself keeps working.
    m_mask.clear();
    const QString strMask = skin::CommonPath(QStringLiteral("ms_mk.skn"));
    const skin::MaskLoad res =
        m_imgNormal.isNull() ? skin::MaskLoad::Missing : skin::LoadMaskFor(strMask, m_imgNormal.size(), m_mask);
    if (res != skin::MaskLoad::Ok) m_mask.clear();
    if (m_ctx.pPrompt && gVar.Ms.nShowEffect) {
        if (res == skin::MaskLoad::WrongSize)
            m_ctx.pPrompt->ShowMessage(u"the size of ms_mk is not equals m_imgNormal", u"");
        else if (res == skin::MaskLoad::Missing && !m_imgNormal.isNull())
            m_ctx.pPrompt->ShowMessage(u"ms_mk is not exist", u"");
    }
    const double fScale = skin::InterfaceScale();
    setFixedSize(QSize(int(w * fScale + 0.5), int(h * fScale + 0.5)));
    PlaceMarks();
    Compose();
}

void CKeyMarkDlg::PlaceMarks()
{
    const double fScale = skin::InterfaceScale();
    const int nKM = pSensorCfg ? std::clamp(int(pSensorCfg->nKM), 0, kMsKeyCount) : 0;
    for (int i = 0; i < kMsKeyCount; ++i) {
        CPngBtn* pMark = m_marks[size_t(i)];
        const ZRect rc = pSensorCfg ? pSensorCfg->Mark[i] : ZRect{};
        const QRect rcSrc(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
        if (i >= nKM || rcSrc.width() <= 0 || rcSrc.height() <= 0 || m_imgNormal.isNull()) {
            pMark->hide();
            continue;
        }
        // Unlit, a mark is clear and the picture with its preview shows through.
        pMark->SetImages(QImage(), QImage(), m_imgDown, &rcSrc);
        pMark->SetStretch(fScale != 1.0);
        pMark->setGeometry(QRect(int(rcSrc.x() * fScale), int(rcSrc.y() * fScale), int(rcSrc.width() * fScale + 0.5),
                                 int(rcSrc.height() * fScale + 0.5)));
        pMark->setChecked(i == m_nLit);
        pMark->show();
    }
}

void CKeyMarkDlg::HighlightMark(int nSlot)
{
    const int nKM = pSensorCfg ? std::clamp(int(pSensorCfg->nKM), 0, kMsKeyCount) : 0;
    m_nLit = nSlot >= 0 && nSlot < nKM && m_marks[size_t(nSlot)]->isVisibleTo(this) ? nSlot : -1;
    for (int i = 0; i < kMsKeyCount; ++i)
        m_marks[size_t(i)]->setChecked(i == m_nLit);
}

void CKeyMarkDlg::RunPreviewProgram(const PreviewProgram& prog)
{
    m_timer.stop();
    m_preview.Run(prog);
    Compose();
    UpdateTimer();
}

void CKeyMarkDlg::UpdateTimer()
{
    const PreviewProgram& p = m_preview.Program();
    const bool bRun = isVisible() && m_preview.Running() && p.type != PreviewType::Off && p.nPeriod > 0;
    if (!bRun) {
        m_timer.stop();
        return;
    }
    if (!m_timer.isActive() || m_timer.interval() != p.nPeriod) m_timer.start(p.nPeriod);
}

void CKeyMarkDlg::StepPreview()
{
    if (m_preview.Step()) Compose();
}

void CKeyMarkDlg::Compose()
{
    if (m_imgNormal.isNull()) {
        m_imgCurrent = QImage();
        update();
        return;
    }
    QImage img(m_imgNormal.size(), QImage::Format_ARGB32);
    m_preview.Compose(m_rgb.data(), m_mask.empty() ? nullptr : m_mask.data(), img.width(), img.height(),
                      reinterpret_cast<uint32_t*>(img.bits()));
    // Keep the picture's own transparency around the mouse.
    for (int y = 0; y < img.height(); ++y) {
        auto* pDst = reinterpret_cast<QRgb*>(img.scanLine(y));
        const auto* pSrc = reinterpret_cast<const QRgb*>(m_imgNormal.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            pDst[x] = (pDst[x] & 0x00FFFFFFu) | (pSrc[x] & 0xFF000000u);
    }
    m_imgCurrent = img;
    update();
}

void CKeyMarkDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!m_imgCurrent.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(rect(), m_imgCurrent);
    }
    if (gVar.nFrameDebug) {
        p.setPen(Qt::red);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CKeyMarkDlg::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    UpdateTimer();
}

void CKeyMarkDlg::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    m_timer.stop();
}

void CKeyMarkDlg::mousePressEvent(QMouseEvent* e)
{
    // A press on the picture drags the main window, as its caption would.
    if (e->button() == Qt::LeftButton)
        if (QWindow* pWin = window()->windowHandle()) pWin->startSystemMove();
    QWidget::mousePressEvent(e);
}
