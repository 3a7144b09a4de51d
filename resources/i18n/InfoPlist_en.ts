<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- The English texts of the string table "InfoPlist", looked up by key. -->
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="msg.file_open_fail">
        <source>msg.file_open_fail</source>
        <translation>The file could not be opened for writing.</translation>
    </message>
    <message id="msg.saved">
        <source>msg.saved</source>
        <translation>The settings were saved.</translation>
    </message>
    <message id="msg.input_value_invalid_format">
        <source>msg.input_value_invalid_format</source>
        <translation>Enter a number, such as 0.5.</translation>
    </message>
    <message id="msg.gsensor_outofrange_fmt">
        <source>msg.gsensor_outofrange_fmt</source>
        <translation>Enter a value from %1 to %2.</translation>
    </message>
    <message id="msg.sdcard_ratio_too_low">
        <source>msg.sdcard_ratio_too_low</source>
        <translation>Each share of the card must be at least 10 %.</translation>
    </message>
    <message id="setting.flashdata.index">
        <source>setting.flashdata.index</source>
        <translation>No.</translation>
    </message>
    <message id="setting.flashdata.seq">
        <source>setting.flashdata.seq</source>
        <translation>Seq.</translation>
    </message>
    <message id="setting.flashdata.date">
        <source>setting.flashdata.date</source>
        <translation>Date</translation>
    </message>
    <message id="setting.flashdata.time">
        <source>setting.flashdata.time</source>
        <translation>Time</translation>
    </message>
    <message id="setting.flashdata.yoil">
        <source>setting.flashdata.yoil</source>
        <translation>Day</translation>
    </message>
    <message id="setting.flashdata.lat">
        <source>setting.flashdata.lat</source>
        <translation>Latitude</translation>
    </message>
    <message id="setting.flashdata.lon">
        <source>setting.flashdata.lon</source>
        <translation>Longitude</translation>
    </message>
    <message id="setting.flashdata.driving_distance">
        <source>setting.flashdata.driving_distance</source>
        <translation>Distance</translation>
    </message>
    <message id="setting.flashdata.cur_speed">
        <source>setting.flashdata.cur_speed</source>
        <translation>Speed</translation>
    </message>
    <message id="setting.flashdata.max_speed">
        <source>setting.flashdata.max_speed</source>
        <translation>Max. speed</translation>
    </message>
    <message id="setting.flashdata.value">
        <source>setting.flashdata.value</source>
        <translation>Fix</translation>
    </message>
    <message id="setting.flashdata.battery">
        <source>setting.flashdata.battery</source>
        <translation>Battery</translation>
    </message>
    <message id="filelist.mode">
        <source>filelist.mode</source>
        <translation>Mode</translation>
    </message>
    <message id="filelist.date">
        <source>filelist.date</source>
        <translation>Date</translation>
    </message>
    <message id="filelist.time">
        <source>filelist.time</source>
        <translation>Time</translation>
    </message>
    <message id="filelist.file">
        <source>filelist.file</source>
        <translation>File</translation>
    </message>
    <message id="media.always">
        <source>media.always</source>
        <translation>Continuous</translation>
    </message>
    <message id="media.motion">
        <source>media.motion</source>
        <translation>Motion</translation>
    </message>
    <message id="media.event">
        <source>media.event</source>
        <translation>Event</translation>
    </message>
    <message id="media.unknown">
        <source>media.unknown</source>
        <translation>Unknown</translation>
    </message>
    <message id="readout.speed">
        <source>readout.speed</source>
        <translation>Speed</translation>
    </message>
    <message id="readout.hdop">
        <source>readout.hdop</source>
        <translation>HDOP</translation>
    </message>
    <message id="readout.satellites">
        <source>readout.satellites</source>
        <translation>Satellites</translation>
    </message>
    <message id="map.hint">
        <source>map.hint</source>
        <translation>The vehicle&apos;s position follows playback. Map data from OpenStreetMap.</translation>
    </message>
    <message id="menu.file">
        <source>menu.file</source>
        <translation>&amp;File</translation>
    </message>
    <message id="menu.playback">
        <source>menu.playback</source>
        <translation>&amp;Playback</translation>
    </message>
    <message id="menu.view">
        <source>menu.view</source>
        <translation>&amp;View</translation>
    </message>
    <message id="action.open">
        <source>action.open</source>
        <translation>&amp;Open Card or Folder…</translation>
    </message>
    <message id="action.close">
        <source>action.close</source>
        <translation>&amp;Close Window</translation>
    </message>
    <message id="action.quit">
        <source>action.quit</source>
        <translation>&amp;Quit</translation>
    </message>
    <message id="action.play">
        <source>action.play</source>
        <translation>Play / &amp;Pause</translation>
    </message>
    <message id="action.jump_backward">
        <source>action.jump_backward</source>
        <translation>Jump &amp;Back 10 Seconds</translation>
    </message>
    <message id="action.jump_forward">
        <source>action.jump_forward</source>
        <translation>Jump &amp;Forward 10 Seconds</translation>
    </message>
    <message id="action.slower">
        <source>action.slower</source>
        <translation>&amp;Normal Speed</translation>
    </message>
    <message id="action.faster">
        <source>action.faster</source>
        <translation>&amp;Double Speed</translation>
    </message>
    <message id="action.swap">
        <source>action.swap</source>
        <translation>&amp;Swap Front and Rear</translation>
    </message>
    <message id="action.volume_up">
        <source>action.volume_up</source>
        <translation>Volume &amp;Up</translation>
    </message>
    <message id="action.volume_down">
        <source>action.volume_down</source>
        <translation>Volume &amp;Down</translation>
    </message>
    <message id="action.audio_choice">
        <source>action.audio_choice</source>
        <translation>Hear the &amp;Other Camera</translation>
    </message>
    <message id="action.show_list">
        <source>action.show_list</source>
        <translation>Recording &amp;List</translation>
    </message>
    <message id="action.show_map">
        <source>action.show_map</source>
        <translation>&amp;Map</translation>
    </message>
    <message id="action.size_up">
        <source>action.size_up</source>
        <translation>&amp;Bigger</translation>
    </message>
    <message id="action.size_down">
        <source>action.size_down</source>
        <translation>&amp;Smaller</translation>
    </message>
    <message id="action.full_screen">
        <source>action.full_screen</source>
        <translation>&amp;Full Screen</translation>
    </message>
    <message id="player.cannot_play_fmt">
        <source>player.cannot_play_fmt</source>
        <translation>This recording could not be played: %1</translation>
    </message>
    <message id="action.capture">
        <source>action.capture</source>
        <translation>Save Frame…</translation>
    </message>
    <message id="action.print">
        <source>action.print</source>
        <translation>Print Frame…</translation>
    </message>
    <message id="msg.capture_not_saved_fmt">
        <source>msg.capture_not_saved_fmt</source>
        <translation>The frame could not be saved as %1.</translation>
    </message>
</context>
</TS>
