// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

#include <cstdint>

// The playback state the controls and the telemetry read-out follow. Every property
// tells its changes; setting a property to the value it has tells nothing.
class RVXPlayInfo : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isPlaying READ isPlaying WRITE setIsPlaying NOTIFY isPlayingChanged)
    Q_PROPERTY(double position READ position WRITE setPosition NOTIFY positionChanged)
    Q_PROPERTY(double speed READ speed WRITE setSpeed NOTIFY speedChanged)
    Q_PROPERTY(double scale READ scale WRITE setScale NOTIFY scaleChanged)
    Q_PROPERTY(double volume READ volume WRITE setVolume NOTIFY volumeChanged)
    Q_PROPERTY(double x READ x WRITE setX NOTIFY xChanged)
    Q_PROPERTY(double y READ y WRITE setY NOTIFY yChanged)
    Q_PROPERTY(double z READ z WRITE setZ NOTIFY zChanged)
    Q_PROPERTY(uint32_t audioMediaDirection READ audioMediaDirection WRITE setAudioMediaDirection
                   NOTIFY audioMediaDirectionChanged)
public:
    using QObject::QObject;

    bool isPlaying() const { return m_isPlaying; }
    void setIsPlaying(bool v);
    double position() const { return m_position; }
    void setPosition(double v);
    double speed() const { return m_speed; }
    void setSpeed(double v);
    double scale() const { return m_scale; }
    void setScale(double v);
    double volume() const { return m_volume; }
    void setVolume(double v);
    double x() const { return m_x; }
    void setX(double v);
    double y() const { return m_y; }
    void setY(double v);
    double z() const { return m_z; }
    void setZ(double v);
    // 0 front, 1 rear, 2 none.
    uint32_t audioMediaDirection() const { return m_audioMediaDirection; }
    void setAudioMediaDirection(uint32_t v);

Q_SIGNALS:
    void isPlayingChanged(bool);
    void positionChanged(double);
    void speedChanged(double);
    void scaleChanged(double);
    void volumeChanged(double);
    void xChanged(double);
    void yChanged(double);
    void zChanged(double);
    void audioMediaDirectionChanged(uint32_t);

private:
    bool m_isPlaying = false;
    double m_position = 0;
    double m_speed = 1.0;
    double m_scale = 0;
    double m_volume = 0;
    double m_x = 0;
    double m_y = 0;
    double m_z = 0;
    uint32_t m_audioMediaDirection = 2;
};
