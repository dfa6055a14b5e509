#include "startpictures.h"

const QString StartPictures::basePicturePath = QStringLiteral(":/pictures/startbasisbild.png");
const QString StartPictures::programIconPath = QStringLiteral(":/icons/tallowmere.png");

namespace {

std::future<QImage> decodeLater(const QString& path)
{
    // Decoding a PNG needs nothing of the GUI thread: QImage reading is reentrant.
    return std::async(std::launch::async, [path] { return QImage(path); });
}

} // namespace

void StartPictures::startLoading(const QString& startPicturePath)
{
    m_startPath = startPicturePath;
    // One thread per picture: the base picture is needed first, the other two later.
    m_base = decodeLater(basePicturePath);
    m_icon = decodeLater(programIconPath);
    m_start = decodeLater(startPicturePath);
}

QImage StartPictures::take(std::future<QImage>& loading, const QString& path)
{
    if (loading.valid())
        return loading.get();
    return QImage(path);
}

QImage StartPictures::basePicture()
{
    return take(m_base, basePicturePath);
}

QImage StartPictures::startPicture(const QString& path)
{
    // A preloaded picture of another file does not count.
    if (path != m_startPath && m_start.valid())
        m_start.get();
    return take(m_start, path);
}

QImage StartPictures::programIcon()
{
    return take(m_icon, programIconPath);
}
