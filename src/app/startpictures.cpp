#include "startpictures.h"

#include "common/theme.h"

const QString StartPictures::basePicturePath = QStringLiteral(":/pictures/startbasisbild.png");
const QString StartPictures::programIconPath = QStringLiteral(":/icons/tallowmere.png");

namespace {

void deliver(std::promise<QImage>& promise, const QString& path)
{
    // QImage reading is reentrant and needs nothing of the main thread.
    try {
        promise.set_value(QImage(path));
    } catch (...) {
        promise.set_exception(std::current_exception());
    }
}

} // namespace

StartPictures::~StartPictures()
{
    if (m_worker.joinable())
        m_worker.join();
}

void StartPictures::startLoading(const QString& startPicturePath)
{
    m_startPath = startPicturePath;
    std::promise<QImage> icon, base, start;
    m_icon = icon.get_future();
    m_base = base.get_future();
    m_start = start.get_future();
    m_worker = std::thread(
        [icon = std::move(icon), base = std::move(base), start = std::move(start), startPicturePath]() mutable {
            deliver(icon, programIconPath);
            deliver(base, basePicturePath);
            // The textures are decoded once for the whole run; the window paints its backgrounds
            // from them right after the base picture.
            try {
                ThemeTextures::builtIn();
            } catch (...) {
                // The main thread decodes them itself when it first needs them.
            }
            deliver(start, startPicturePath);
        });
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
