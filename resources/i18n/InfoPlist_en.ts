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
    <message id="action.toggle_trips">
        <source>action.toggle_trips</source>
        <translation>&amp;Trips or Files</translation>
    </message>
    <message id="action.show_events">
        <source>action.show_events</source>
        <translation>&amp;Events</translation>
    </message>
    <message id="events.impact">
        <source>events.impact</source>
        <translation>Impact</translation>
    </message>
    <message id="events.braking">
        <source>events.braking</source>
        <translation>Hard braking</translation>
    </message>
    <message id="events.acceleration">
        <source>events.acceleration</source>
        <translation>Hard acceleration</translation>
    </message>
    <message id="events.quiet_recording">
        <source>events.quiet_recording</source>
        <translation>Event recording, no impact found</translation>
    </message>
    <message id="events.time">
        <source>events.time</source>
        <translation>Time</translation>
    </message>
    <message id="events.kind">
        <source>events.kind</source>
        <translation>Kind</translation>
    </message>
    <message id="events.peak">
        <source>events.peak</source>
        <translation>Peak</translation>
    </message>
    <message id="events.speed">
        <source>events.speed</source>
        <translation>Speed</translation>
    </message>
    <message id="events.place">
        <source>events.place</source>
        <translation>Place</translation>
    </message>
    <message id="events.scanning_fmt">
        <source>events.scanning_fmt</source>
        <translation>Looking through the card: %1 of %2 recordings</translation>
    </message>
    <message id="events.none">
        <source>events.none</source>
        <translation>Nothing found: no impact over the camera's thresholds, no hard braking or acceleration.</translation>
    </message>
    <message id="events.summary_fmt">
        <source>events.summary_fmt</source>
        <translation>%1 events found in %2 recordings.</translation>
    </message>
    <message id="events.skipped_fmt">
        <source>events.skipped_fmt</source>
        <translation>%1 recordings had no readable telemetry.</translation>
    </message>
    <message id="events.hint">
        <source>events.hint</source>
        <translation>Double-click a row to play it from a second before.</translation>
    </message>
    <message id="clock.set_clock">
        <source>clock.set_clock</source>
        <translation>Set the camera's clock…</translation>
    </message>
    <message id="clock.open_settings">
        <source>clock.open_settings</source>
        <translation>Camera settings…</translation>
    </message>
    <message id="clock.dismiss">
        <source>clock.dismiss</source>
        <translation>Hide</translation>
    </message>
    <message id="action.export_evidence">
        <source>action.export_evidence</source>
        <translation>Export &amp;Evidence…</translation>
    </message>
    <message id="evidence.moment_fmt">
        <source>evidence.moment_fmt</source>
        <translation>The pack holds the moment %1 (camera time) from both cameras, cut without re-encoding, with the original recordings, the telemetry, a PDF sheet and SHA-256 checksums.</translation>
    </message>
    <message id="evidence.before">
        <source>evidence.before</source>
        <translation>Before the moment:</translation>
    </message>
    <message id="evidence.after">
        <source>evidence.after</source>
        <translation>After the moment:</translation>
    </message>
    <message id="evidence.folder">
        <source>evidence.folder</source>
        <translation>Folder:</translation>
    </message>
    <message id="evidence.name">
        <source>evidence.name</source>
        <translation>Pack name:</translation>
    </message>
    <message id="evidence.choose">
        <source>evidence.choose</source>
        <translation>Choose…</translation>
    </message>
    <message id="evidence.open_folder">
        <source>evidence.open_folder</source>
        <translation>Open Folder</translation>
    </message>
    <message id="evidence.export">
        <source>evidence.export</source>
        <translation>Export</translation>
    </message>
    <message id="evidence.close">
        <source>evidence.close</source>
        <translation>Close</translation>
    </message>
    <message id="evidence.no_recording">
        <source>evidence.no_recording</source>
        <translation>No recording plays at that moment.</translation>
    </message>
    <message id="evidence.bad_target">
        <source>evidence.bad_target</source>
        <translation>Give a folder and a name for the pack (a name without “/”).</translation>
    </message>
    <message id="evidence.writing">
        <source>evidence.writing</source>
        <translation>Writing the pack…</translation>
    </message>
    <message id="evidence.cancelling">
        <source>evidence.cancelling</source>
        <translation>Stopping…</translation>
    </message>
    <message id="evidence.cancelled">
        <source>evidence.cancelled</source>
        <translation>Cancelled: nothing was left behind.</translation>
    </message>
    <message id="evidence.failed_fmt">
        <source>evidence.failed_fmt</source>
        <translation>The pack could not be made: %1. Nothing was left behind.</translation>
    </message>
    <message id="evidence.done_fmt">
        <source>evidence.done_fmt</source>
        <translation>The pack is in %1. SHA256SUMS in it checks every file (sha256sum -c SHA256SUMS).</translation>
    </message>
    <message id="events.export">
        <source>events.export</source>
        <translation>Export Evidence…</translation>
    </message>
    <message id="repair.cut_tooltip">
        <source>repair.cut_tooltip</source>
        <translation>Cut short (no index); it can be repaired</translation>
    </message>
    <message id="repair.cannot_play_fmt">
        <source>repair.cannot_play_fmt</source>
        <translation>%1 was cut short (the camera lost power before it wrote the index), so it cannot be played.</translation>
    </message>
    <message id="repair.offer">
        <source>repair.offer</source>
        <translation>Repair a copy…</translation>
    </message>
    <message id="repair.progress_fmt">
        <source>repair.progress_fmt</source>
        <translation>Repairing a copy of %1…</translation>
    </message>
    <message id="repair.no_reference">
        <source>repair.no_reference</source>
        <translation>No whole recording of the same camera lies beside it to learn its layout from.</translation>
    </message>
    <message id="repair.done_fmt">
        <source>repair.done_fmt</source>
        <translation>The copy %1 holds %2 s of video (%3 frames). The repair stopped: %4.</translation>
    </message>
    <message id="repair.left_out_fmt">
        <source>repair.left_out_fmt</source>
        <translation>%1; the %2 bytes from there on are left out</translation>
    </message>
    <message id="repair.failed_fmt">
        <source>repair.failed_fmt</source>
        <translation>The copy could not be made: %1</translation>
    </message>
    <message id="list.files">
        <source>list.files</source>
        <translation>Files</translation>
    </message>
    <message id="list.trips">
        <source>list.trips</source>
        <translation>Trips</translation>
    </message>
    <message id="triplist.length">
        <source>triplist.length</source>
        <translation>Length</translation>
    </message>
    <message id="triplist.distance">
        <source>triplist.distance</source>
        <translation>Distance</translation>
    </message>
    <message id="list.trip_units_fmt">
        <source>list.trip_units_fmt</source>
        <translation>%1 recordings</translation>
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
    <message id="msg.capture_saved_at_fmt">
        <source>msg.capture_saved_at_fmt</source>
        <translation>The picture is saved as %1.</translation>
    </message>
    <message id="msg.pack_saved_at_fmt">
        <source>msg.pack_saved_at_fmt</source>
        <translation>The evidence pack is in %1.</translation>
    </message>
    <message id="msg.no_desktop_opener">
        <source>msg.no_desktop_opener</source>
        <translation>No program on this desktop opens it from here; open it from your file manager.</translation>
    </message>
    <message id="list.no_recordings_fmt">
        <source>list.no_recordings_fmt</source>
        <translation>No recordings in %1</translation>
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
    <message id="setting.video">
        <source>setting.video</source>
        <translation>Video</translation>
    </message>
    <message id="setting.basic">
        <source>setting.basic</source>
        <translation>Basic</translation>
    </message>
    <message id="setting.basic.auto_parking_waiting_time">
        <source>setting.basic.auto_parking_waiting_time</source>
        <translation>Wait before parking mode</translation>
    </message>
    <message id="setting.basic.driving_impact_sensitivity">
        <source>setting.basic.driving_impact_sensitivity</source>
        <translation>Impact sensitivity while driving</translation>
    </message>
    <message id="setting.basic.parking_impact_sensitivity">
        <source>setting.basic.parking_impact_sensitivity</source>
        <translation>Impact sensitivity while parked</translation>
    </message>
    <message id="setting.basic.front_LED_settings">
        <source>setting.basic.front_LED_settings</source>
        <translation>Front camera LED</translation>
    </message>
    <message id="setting.basic.rear_LED_settings">
        <source>setting.basic.rear_LED_settings</source>
        <translation>Rear camera LED</translation>
    </message>
    <message id="setting.basic.cutoff_voltage_setting">
        <source>setting.basic.cutoff_voltage_setting</source>
        <translation>Power cut-off</translation>
    </message>
    <message id="setting.basic.cable_voltage_loss">
        <source>setting.basic.cable_voltage_loss</source>
        <translation>Voltage lost in the cable</translation>
    </message>
    <message id="setting.basic.enable_gsensor">
        <source>setting.basic.enable_gsensor</source>
        <translation>Record impacts (G-sensor)</translation>
    </message>
    <message id="setting.basic.car_number_input">
        <source>setting.basic.car_number_input</source>
        <translation>Licence plate</translation>
    </message>
    <message id="setting.basic.set_voltage">
        <source>setting.basic.set_voltage</source>
        <translation>Cut-off voltage</translation>
    </message>
    <message id="setting.basic.set_timer">
        <source>setting.basic.set_timer</source>
        <translation>Switch off after</translation>
    </message>
    <message id="setting.basic.use_external_power">
        <source>setting.basic.use_external_power</source>
        <translation>External battery</translation>
    </message>
    <message id="setting.basic.power_guide">
        <source>setting.basic.power_guide</source>
        <translation>The camera switches off when the car's battery falls below the voltage, or when the time has passed in parking mode.</translation>
    </message>
    <message id="setting.basic.customize">
        <source>setting.basic.customize</source>
        <translation>Custom</translation>
    </message>
    <message id="setting.basic.LED_use">
        <source>setting.basic.LED_use</source>
        <translation>On</translation>
    </message>
    <message id="setting.basic.LED_notuse">
        <source>setting.basic.LED_notuse</source>
        <translation>Off</translation>
    </message>
    <message id="unuse">
        <source>unuse</source>
        <translation>Off</translation>
    </message>
    <message id="use">
        <source>use</source>
        <translation>On</translation>
    </message>
    <message id="auto">
        <source>auto</source>
        <translation>Automatic</translation>
    </message>
    <message id="none">
        <source>none</source>
        <translation>None</translation>
    </message>
    <message id="externpower">
        <source>externpower</source>
        <translation>External battery</translation>
    </message>
    <message id="nSecond_fmt">
        <source>nSecond_fmt</source>
        <translation>%1 s</translation>
    </message>
    <message id="nMinute_fmt">
        <source>nMinute_fmt</source>
        <translation>%1 min</translation>
    </message>
    <message id="nHour_fmt">
        <source>nHour_fmt</source>
        <translation>%1 h</translation>
    </message>
    <message id="insensitive">
        <source>insensitive</source>
        <translation>least sensitive</translation>
    </message>
    <message id="sensitive">
        <source>sensitive</source>
        <translation>most sensitive</translation>
    </message>
    <message id="default">
        <source>default</source>
        <translation>default</translation>
    </message>
    <message id="msg.use_external_power_10v">
        <source>msg.use_external_power_10v</source>
        <translation>With an external battery the camera switches off at 10 V.</translation>
    </message>
    <message id="setting.video.front_quality">
        <source>setting.video.front_quality</source>
        <translation>Front recording quality</translation>
    </message>
    <message id="setting.video.rear_quality">
        <source>setting.video.rear_quality</source>
        <translation>Rear recording quality</translation>
    </message>
    <message id="setting.video.front_setting">
        <source>setting.video.front_setting</source>
        <translation>Front camera</translation>
    </message>
    <message id="setting.video.rear_setting">
        <source>setting.video.rear_setting</source>
        <translation>Rear camera</translation>
    </message>
    <message id="setting.video.rear_reversal">
        <source>setting.video.rear_reversal</source>
        <translation>Flip the rear picture</translation>
    </message>
    <message id="setting.video.rear_fps">
        <source>setting.video.rear_fps</source>
        <translation>Rear frame rate</translation>
    </message>
    <message id="setting.video.front_tinting">
        <source>setting.video.front_tinting</source>
        <translation>Front window tinting</translation>
    </message>
    <message id="setting.video.rear_tinting">
        <source>setting.video.rear_tinting</source>
        <translation>Rear window tinting</translation>
    </message>
    <message id="setting.motion.night_vision">
        <source>setting.motion.night_vision</source>
        <translation>Night vision</translation>
    </message>
    <message id="setting.motion.night_vision_use">
        <source>setting.motion.night_vision_use</source>
        <translation>On</translation>
    </message>
    <message id="setting.motion.night_vision_notuse">
        <source>setting.motion.night_vision_notuse</source>
        <translation>Off</translation>
    </message>
    <message id="setting.video.viewangle">
        <source>setting.video.viewangle</source>
        <translation>View angle</translation>
    </message>
    <message id="setting.video.viewangle_standard">
        <source>setting.video.viewangle_standard</source>
        <translation>Standard</translation>
    </message>
    <message id="setting.video.viewangle_adas">
        <source>setting.video.viewangle_adas</source>
        <translation>Driver assistance</translation>
    </message>
    <message id="setting.video.channel">
        <source>setting.video.channel</source>
        <translation>Recording channels</translation>
    </message>
    <message id="setting.video.channel_2">
        <source>setting.video.channel_2</source>
        <translation>Front and rear</translation>
    </message>
    <message id="setting.video.channel_1">
        <source>setting.video.channel_1</source>
        <translation>Front only</translation>
    </message>
    <message id="brightness">
        <source>brightness</source>
        <translation>Brightness</translation>
    </message>
    <message id="setting.video.cpl_filter_use">
        <source>setting.video.cpl_filter_use</source>
        <translation>Use the tinting setting that matches a polarising (CPL) filter on the lens.</translation>
    </message>
    <message id="setting.video.quality_normal">
        <source>setting.video.quality_normal</source>
        <translation>Normal</translation>
    </message>
    <message id="setting.video.quality_high">
        <source>setting.video.quality_high</source>
        <translation>High</translation>
    </message>
    <message id="setting.video.quality_highest">
        <source>setting.video.quality_highest</source>
        <translation>Highest</translation>
    </message>
    <message id="30fps">
        <source>30fps</source>
        <translation>30 fps</translation>
    </message>
    <message id="25fps">
        <source>25fps</source>
        <translation>25 fps</translation>
    </message>
    <message id="15fps">
        <source>15fps</source>
        <translation>15 fps</translation>
    </message>
    <message id="cpl_unuse">
        <source>cpl_unuse</source>
        <translation>No filter</translation>
    </message>
    <message id="cpl_use">
        <source>cpl_use</source>
        <translation>CPL filter</translation>
    </message>
    <message id="light_tinting">
        <source>light_tinting</source>
        <translation>Light tint</translation>
    </message>
    <message id="dark_tinting">
        <source>dark_tinting</source>
        <translation>Dark tint</translation>
    </message>
    <message id="msg.video_quality_warning">
        <source>msg.video_quality_warning</source>
        <translation>A higher quality fills the card sooner: fewer recordings fit on it.</translation>
    </message>
    <message id="setting.gps">
        <source>setting.gps</source>
        <translation>GPS</translation>
    </message>
    <message id="setting.aux">
        <source>setting.aux</source>
        <translation>More</translation>
    </message>
    <message id="setting.park">
        <source>setting.park</source>
        <translation>Parking</translation>
    </message>
    <message id="setting.adas">
        <source>setting.adas</source>
        <translation>Driver assistance</translation>
    </message>
    <message id="setting.audio">
        <source>setting.audio</source>
        <translation>Audio</translation>
    </message>
    <message id="setting.driveinfoview">
        <source>setting.driveinfoview</source>
        <translation>Drive log</translation>
    </message>
    <message id="setting.motion">
        <source>setting.motion</source>
        <translation>Motion and parking</translation>
    </message>
    <message id="setting.information">
        <source>setting.information</source>
        <translation>Drive information</translation>
    </message>
    <message id="setting.sdcardformat">
        <source>setting.sdcardformat</source>
        <translation>Format Card…</translation>
    </message>
    <message id="setting.initialize">
        <source>setting.initialize</source>
        <translation>Defaults</translation>
    </message>
    <message id="save">
        <source>save</source>
        <translation>Save</translation>
    </message>
    <message id="cancel">
        <source>cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="setting.window_title">
        <source>setting.window_title</source>
        <translation>Camera Settings</translation>
    </message>
    <message id="setting.disk_utility">
        <source>setting.disk_utility</source>
        <translation>Disks…</translation>
    </message>
    <message id="msg.capture_folder_fail">
        <source>msg.capture_folder_fail</source>
        <translation>The frame cannot be captured: no private folder could be made for it in the runtime folder.</translation>
    </message>
    <message id="msg.print_file_failed_fmt">
        <source>msg.print_file_failed_fmt</source>
        <translation>The frame could not be printed to %1.</translation>
    </message>
    <message id="msg.print_no_printer_fmt">
        <source>msg.print_no_printer_fmt</source>
        <translation>The printer %1 cannot be found.</translation>
    </message>
    <message id="msg.print_no_jpeg_fmt">
        <source>msg.print_no_jpeg_fmt</source>
        <translation>The printer %1 cannot print the frame: it takes no JPEG pictures.</translation>
    </message>
    <message id="msg.print_failed_fmt">
        <source>msg.print_failed_fmt</source>
        <translation>The frame could not be sent to %1 (CUPS error %2).</translation>
    </message>
    <message id="msg.print_destination_unsupported">
        <source>msg.print_destination_unsupported</source>
        <translation>The frame can be printed on a printer or to a PDF file only.</translation>
    </message>
    <message id="msg.exported_fmt">
        <source>msg.exported_fmt</source>
        <translation>The table was exported to %1.</translation>
    </message>
    <message id="tooltip.playback_rate">
        <source>tooltip.playback_rate</source>
        <translation>Playback rate</translation>
    </message>
    <message id="tooltip.window_scale">
        <source>tooltip.window_scale</source>
        <translation>Window scale</translation>
    </message>
    <message id="tooltip.volume">
        <source>tooltip.volume</source>
        <translation>Volume</translation>
    </message>
    <message id="msg.card_full">
        <source>msg.card_full</source>
        <translation>The settings could not be written: the card is full. Delete a recording from it and save again.</translation>
    </message>
    <message id="msg.setting_file_damaged_fmt">
        <source>msg.setting_file_damaged_fmt</source>
        <translation>The card's config.bin is damaged (%1); the defaults are shown. Save writes a sound one.</translation>
    </message>
    <message id="msg.setting_file_bad_checksum">
        <source>msg.setting_file_bad_checksum</source>
        <translation>The card's config.bin is damaged (its checksum is wrong); its values are shown as read. Save writes a sound one.</translation>
    </message>
    <message id="msg.write_protected_disk">
        <source>msg.write_protected_disk</source>
        <translation>The settings could not be written: the card or the file is write-protected.</translation>
    </message>
    <message id="menu.card">
        <source>menu.card</source>
        <translation>&amp;Card</translation>
    </message>
    <message id="action.camera_settings">
        <source>action.camera_settings</source>
        <translation>Camera Settings…</translation>
    </message>
    <message id="open">
        <source>open</source>
        <translation>Open…</translation>
    </message>
    <message id="export">
        <source>export</source>
        <translation>Export…</translation>
    </message>
    <message id="time.window_title">
        <source>time.window_title</source>
        <translation>Camera Clock</translation>
    </message>
    <message id="today">
        <source>today</source>
        <translation>Today</translation>
    </message>
    <message id="time.filesave">
        <source>time.filesave</source>
        <translation>The clock file was written. Put the card back into the camera to set its clock.</translation>
    </message>
    <message id="time.filesave_failed_fmt">
        <source>time.filesave_failed_fmt</source>
        <translation>The clock file %1 could not be written: %2</translation>
    </message>
    <message id="action.clock_file">
        <source>action.clock_file</source>
        <translation>Clock File…</translation>
    </message>
    <message id="setting.gps.weekly_alarm">
        <source>setting.gps.weekly_alarm</source>
        <translation>Weekly no-driving reminder</translation>
    </message>
    <message id="setting.gps.speed_display">
        <source>setting.gps.speed_display</source>
        <translation>Speed unit</translation>
    </message>
    <message id="setting.gps.timezone_setting">
        <source>setting.gps.timezone_setting</source>
        <translation>Time zone</translation>
    </message>
    <message id="setting.gps.osd_speed_display">
        <source>setting.gps.osd_speed_display</source>
        <translation>Speed in the video</translation>
    </message>
    <message id="setting.gps.driving_route_info_saving_interval">
        <source>setting.gps.driving_route_info_saving_interval</source>
        <translation>Save the route every</translation>
    </message>
    <message id="setting.gps.gps_on_parking_mode">
        <source>setting.gps.gps_on_parking_mode</source>
        <translation>GPS in parking mode</translation>
    </message>
    <message id="setting.gps.gps_guide1">
        <source>setting.gps.gps_guide1</source>
        <translation>The camera reminds you on this day that your car may not be driven.</translation>
    </message>
    <message id="setting.gps.gps_speed_guide1">
        <source>setting.gps.gps_speed_guide1</source>
        <translation>The unit of the speed the camera shows and records.</translation>
    </message>
    <message id="setting.gps.gps_time_guide1">
        <source>setting.gps.gps_time_guide1</source>
        <translation>The camera sets its clock from GPS time and this zone.</translation>
    </message>
    <message id="setting.gps.gps_guide2">
        <source>setting.gps.gps_guide2</source>
        <translation>Shorter intervals keep a finer route and use more of the card.</translation>
    </message>
    <message id="summerTime">
        <source>summerTime</source>
        <translation>Summer time</translation>
    </message>
    <message id="mon">
        <source>mon</source>
        <translation>Mon</translation>
    </message>
    <message id="tue">
        <source>tue</source>
        <translation>Tue</translation>
    </message>
    <message id="wed">
        <source>wed</source>
        <translation>Wed</translation>
    </message>
    <message id="thu">
        <source>thu</source>
        <translation>Thu</translation>
    </message>
    <message id="fri">
        <source>fri</source>
        <translation>Fri</translation>
    </message>
    <message id="sat">
        <source>sat</source>
        <translation>Sat</translation>
    </message>
    <message id="sun">
        <source>sun</source>
        <translation>Sun</translation>
    </message>
    <message id="off">
        <source>off</source>
        <translation>Off</translation>
    </message>
    <message id="on">
        <source>on</source>
        <translation>On</translation>
    </message>
    <message id="setting.aux.mic_volume">
        <source>setting.aux.mic_volume</source>
        <translation>Microphone</translation>
    </message>
    <message id="setting.aux.speaker_volume">
        <source>setting.aux.speaker_volume</source>
        <translation>Speaker</translation>
    </message>
    <message id="setting.aux.voice_guidance_lang_setting">
        <source>setting.aux.voice_guidance_lang_setting</source>
        <translation>Voice guidance language</translation>
    </message>
    <message id="setting.aux.enable_hourly_alarm">
        <source>setting.aux.enable_hourly_alarm</source>
        <translation>Announce every hour</translation>
    </message>
    <message id="setting.aux.volume_low">
        <source>setting.aux.volume_low</source>
        <translation>low</translation>
    </message>
    <message id="setting.aux.volume_up">
        <source>setting.aux.volume_up</source>
        <translation>high</translation>
    </message>
    <message id="Malaysia">
        <source>Malaysia</source>
        <translation>Malay (Malaysia)</translation>
    </message>
    <message id="Korean">
        <source>Korean</source>
        <translation>Korean</translation>
    </message>
    <message id="English">
        <source>English</source>
        <translation>English</translation>
    </message>
    <message id="French">
        <source>French</source>
        <translation>French</translation>
    </message>
    <message id="Spanish.Europe">
        <source>Spanish.Europe</source>
        <translation>Spanish (Spain)</translation>
    </message>
    <message id="Arabic">
        <source>Arabic</source>
        <translation>Arabic</translation>
    </message>
    <message id="Chinese">
        <source>Chinese</source>
        <translation>Chinese</translation>
    </message>
    <message id="Russian">
        <source>Russian</source>
        <translation>Russian</translation>
    </message>
    <message id="Japanese">
        <source>Japanese</source>
        <translation>Japanese</translation>
    </message>
    <message id="Thai">
        <source>Thai</source>
        <translation>Thai</translation>
    </message>
    <message id="BahasaIndonesia">
        <source>BahasaIndonesia</source>
        <translation>Indonesian</translation>
    </message>
    <message id="Vietnamese">
        <source>Vietnamese</source>
        <translation>Vietnamese</translation>
    </message>
    <message id="Mongolian">
        <source>Mongolian</source>
        <translation>Mongolian</translation>
    </message>
    <message id="Spanish.SouthAmerica">
        <source>Spanish.SouthAmerica</source>
        <translation>Spanish (Latin America)</translation>
    </message>
    <message id="German">
        <source>German</source>
        <translation>German</translation>
    </message>
    <message id="Turkish">
        <source>Turkish</source>
        <translation>Turkish</translation>
    </message>
    <message id="Italian">
        <source>Italian</source>
        <translation>Italian</translation>
    </message>
    <message id="Hindi">
        <source>Hindi</source>
        <translation>Hindi</translation>
    </message>
    <message id="Cantonese">
        <source>Cantonese</source>
        <translation>Cantonese</translation>
    </message>
    <message id="Czech">
        <source>Czech</source>
        <translation>Czech</translation>
    </message>
    <message id="Portuguese">
        <source>Portuguese</source>
        <translation>Portuguese</translation>
    </message>
    <message id="setting.motion.paking_mode">
        <source>setting.motion.paking_mode</source>
        <translation>Parking recording</translation>
    </message>
    <message id="setting.motion.paking_mode_motion">
        <source>setting.motion.paking_mode_motion</source>
        <translation>On motion</translation>
    </message>
    <message id="setting.motion.paking_mode_timelapse">
        <source>setting.motion.paking_mode_timelapse</source>
        <translation>Time-lapse</translation>
    </message>
    <message id="setting.motion.sensitivity">
        <source>setting.motion.sensitivity</source>
        <translation>Motion sensitivity</translation>
    </message>
    <message id="setting.motion.block">
        <source>setting.motion.block</source>
        <translation>Motion zones</translation>
    </message>
    <message id="setting.motion.block_front">
        <source>setting.motion.block_front</source>
        <translation>Front camera: zones that detect motion</translation>
    </message>
    <message id="setting.motion.block_rear">
        <source>setting.motion.block_rear</source>
        <translation>Rear camera: zones that detect motion</translation>
    </message>
    <message id="setting.aux.front_sensitivity">
        <source>setting.aux.front_sensitivity</source>
        <translation>Front camera</translation>
    </message>
    <message id="setting.aux.rear_sensitivity">
        <source>setting.aux.rear_sensitivity</source>
        <translation>Rear camera</translation>
    </message>
    <message id="3min">
        <source>3min</source>
        <translation>3 min</translation>
    </message>
    <message id="5min">
        <source>5min</source>
        <translation>5 min</translation>
    </message>
    <message id="time">
        <source>time</source>
        <translation>Clock</translation>
    </message>
    <message id="setting.adas.Height">
        <source>setting.adas.Height</source>
        <translation>Camera height above the road</translation>
    </message>
    <message id="setting.adas.HwadwaySensitivity">
        <source>setting.adas.HwadwaySensitivity</source>
        <translation>Headway zone</translation>
    </message>
    <message id="setting.adas.HwadwayZone">
        <source>setting.adas.HwadwayZone</source>
        <translation>Headway sensitivity</translation>
    </message>
    <message id="setting.adas.LaneWidth">
        <source>setting.adas.LaneWidth</source>
        <translation>Lane width</translation>
    </message>
    <message id="setting.adas.LeftWidth">
        <source>setting.adas.LeftWidth</source>
        <translation>Distance to the left wheel</translation>
    </message>
    <message id="setting.adas.RightHeight">
        <source>setting.adas.RightHeight</source>
        <translation>Distance to the right wheel</translation>
    </message>
    <message id="setting.adas.UFCW">
        <source>setting.adas.UFCW</source>
        <translation>Urban forward-collision warning</translation>
    </message>
    <message id="setting.adas.fcmd_enable">
        <source>setting.adas.fcmd_enable</source>
        <translation>Front car moving alert</translation>
    </message>
    <message id="setting.adas.fcmd_enable_sensitivity">
        <source>setting.adas.fcmd_enable_sensitivity</source>
        <translation>Front car moving sensitivity</translation>
    </message>
    <message id="setting.adas.fcws_sensitivity">
        <source>setting.adas.fcws_sensitivity</source>
        <translation>Forward-collision warning sensitivity</translation>
    </message>
    <message id="setting.adas.fcws_speed">
        <source>setting.adas.fcws_speed</source>
        <translation>Forward-collision warning from</translation>
    </message>
    <message id="setting.adas.ldws_sensitivity">
        <source>setting.adas.ldws_sensitivity</source>
        <translation>Lane-departure warning sensitivity</translation>
    </message>
    <message id="setting.adas.ldws_speed">
        <source>setting.adas.ldws_speed</source>
        <translation>Lane-departure warning from</translation>
    </message>
    <message id="setting.adas.vibrator">
        <source>setting.adas.vibrator</source>
        <translation>Vibration alert</translation>
    </message>
    <message id="setting.adas.vibrator.all">
        <source>setting.adas.vibrator.all</source>
        <translation>All warnings</translation>
    </message>
    <message id="setting.adas.vibrator.level">
        <source>setting.adas.vibrator.level</source>
        <translation>Level</translation>
    </message>
    <message id="setting.adas.vibrator.notuse">
        <source>setting.adas.vibrator.notuse</source>
        <translation>Off</translation>
    </message>
    <message id="setting.adas.vibrator.speed">
        <source>setting.adas.vibrator.speed</source>
        <translation>Speed</translation>
    </message>
    <message id="setting.aux.always">
        <source>setting.aux.always</source>
        <translation>Continuous</translation>
    </message>
    <message id="setting.aux.motion">
        <source>setting.aux.motion</source>
        <translation>Motion</translation>
    </message>
    <message id="setting.aux.event">
        <source>setting.aux.event</source>
        <translation>Event</translation>
    </message>
    <message id="setting.aux.auto_format_16week">
        <source>setting.aux.auto_format_16week</source>
        <translation>16 weeks</translation>
    </message>
    <message id="setting.aux.auto_format_32week">
        <source>setting.aux.auto_format_32week</source>
        <translation>32 weeks</translation>
    </message>
    <message id="setting.aux.auto_format_4week">
        <source>setting.aux.auto_format_4week</source>
        <translation>4 weeks</translation>
    </message>
    <message id="setting.aux.auto_format_8week">
        <source>setting.aux.auto_format_8week</source>
        <translation>8 weeks</translation>
    </message>
    <message id="setting.aux.auto_format_alarm">
        <source>setting.aux.auto_format_alarm</source>
        <translation>Formatting reminder</translation>
    </message>
    <message id="setting.aux.auto_format_notuse">
        <source>setting.aux.auto_format_notuse</source>
        <translation>Off</translation>
    </message>
    <message id="setting.aux.country_ac_power_setting">
        <source>setting.aux.country_ac_power_setting</source>
        <translation>Mains frequency (flicker)</translation>
    </message>
    <message id="setting.aux.high_suv">
        <source>setting.aux.high_suv</source>
        <translation>High (SUV)</translation>
    </message>
    <message id="setting.aux.low">
        <source>setting.aux.low</source>
        <translation>Low</translation>
    </message>
    <message id="setting.aux.medium_sedan">
        <source>setting.aux.medium_sedan</source>
        <translation>Medium (sedan)</translation>
    </message>
    <message id="setting.aux.lcd_auto_off">
        <source>setting.aux.lcd_auto_off</source>
        <translation>Screen off after</translation>
    </message>
    <message id="setting.aux.lcd_brightness">
        <source>setting.aux.lcd_brightness</source>
        <translation>Screen brightness</translation>
    </message>
    <message id="setting.aux.lcd_brightness_night">
        <source>setting.aux.lcd_brightness_night</source>
        <translation>Dimmer screen at night</translation>
    </message>
    <message id="setting.aux.lcd_screensaver">
        <source>setting.aux.lcd_screensaver</source>
        <translation>Screen saver</translation>
    </message>
    <message id="setting.aux.motion_sense_setting">
        <source>setting.aux.motion_sense_setting</source>
        <translation>Vehicle height</translation>
    </message>
    <message id="setting.aux.parking_monitor_notice">
        <source>setting.aux.parking_monitor_notice</source>
        <translation>Parking recording notice</translation>
    </message>
    <message id="setting.aux.parking_rear_setting">
        <source>setting.aux.parking_rear_setting</source>
        <translation>Rear camera while parked</translation>
    </message>
    <message id="setting.aux.password_invalid">
        <source>setting.aux.password_invalid</source>
        <translation>The Wi-Fi password may use only letters, digits and ASCII punctuation, with no blanks.</translation>
    </message>
    <message id="setting.aux.password_length">
        <source>setting.aux.password_length</source>
        <translation>The Wi-Fi password must have at least 8 characters.</translation>
    </message>
    <message id="setting.aux.ssid_invalid">
        <source>setting.aux.ssid_invalid</source>
        <translation>The Wi-Fi name may use only letters, digits and ASCII punctuation, with no blanks.</translation>
    </message>
    <message id="setting.aux.ssid_length">
        <source>setting.aux.ssid_length</source>
        <translation>The Wi-Fi name must have at least 5 characters.</translation>
    </message>
    <message id="setting.aux.pip.bottom_left">
        <source>setting.aux.pip.bottom_left</source>
        <translation>Bottom left</translation>
    </message>
    <message id="setting.aux.pip.bottom_right">
        <source>setting.aux.pip.bottom_right</source>
        <translation>Bottom right</translation>
    </message>
    <message id="setting.aux.pip.top_left">
        <source>setting.aux.pip.top_left</source>
        <translation>Top left</translation>
    </message>
    <message id="setting.aux.pip.top_right">
        <source>setting.aux.pip.top_right</source>
        <translation>Top right</translation>
    </message>
    <message id="setting.aux.pip_position">
        <source>setting.aux.pip_position</source>
        <translation>Picture-in-picture corner</translation>
    </message>
    <message id="setting.aux.recording_length">
        <source>setting.aux.recording_length</source>
        <translation>Recording length</translation>
    </message>
    <message id="setting.aux.sdcard_capacity">
        <source>setting.aux.sdcard_capacity</source>
        <translation>Card shares</translation>
    </message>
    <message id="setting.aux.wifi">
        <source>setting.aux.wifi</source>
        <translation>Wi-Fi access point</translation>
    </message>
    <message id="setting.aux.wifi_channel">
        <source>setting.aux.wifi_channel</source>
        <translation>Channel:</translation>
    </message>
    <message id="setting.aux.wifi_password">
        <source>setting.aux.wifi_password</source>
        <translation>Password:</translation>
    </message>
    <message id="setting.aux.wifi_ssid">
        <source>setting.aux.wifi_ssid</source>
        <translation>Name:</translation>
    </message>
    <message id="setting.aux.wifi_start">
        <source>setting.aux.wifi_start</source>
        <translation>Wi-Fi at start</translation>
    </message>
    <message id="setting.aux.wifi_start_off">
        <source>setting.aux.wifi_start_off</source>
        <translation>Off</translation>
    </message>
    <message id="setting.aux.wifi_start_on">
        <source>setting.aux.wifi_start_on</source>
        <translation>On</translation>
    </message>
    <message id="setting.format.window_title">
        <source>setting.format.window_title</source>
        <translation>Format Card</translation>
    </message>
    <message id="setting.format.path">
        <source>setting.format.path</source>
        <translation>Device:</translation>
    </message>
    <message id="setting.format.allocation_unit_size">
        <source>setting.format.allocation_unit_size</source>
        <translation>Allocation unit:</translation>
    </message>
    <message id="setting.format.filesystem">
        <source>setting.format.filesystem</source>
        <translation>File system:</translation>
    </message>
    <message id="setting.format.format">
        <source>setting.format.format</source>
        <translation>Format</translation>
    </message>
    <message id="msg.cannot_format">
        <source>msg.cannot_format</source>
        <translation>The card cannot be formatted.</translation>
    </message>
    <message id="msg.format_complete">
        <source>msg.format_complete</source>
        <translation>The card was formatted for the camera.</translation>
    </message>
    <message id="msg.format_confirm_fmt">
        <source>msg.format_confirm_fmt</source>
        <translation>Erase %1 (%2)?</translation>
    </message>
    <message id="msg.format_confirm_unnamed">
        <source>msg.format_confirm_unnamed</source>
        <translation>the card without a name</translation>
    </message>
    <message id="msg.format_confirm_recordings_fmt">
        <source>msg.format_confirm_recordings_fmt</source>
        <translation>Its %1 recordings will be lost.</translation>
    </message>
    <message id="msg.format_confirm_many_recordings_fmt">
        <source>msg.format_confirm_many_recordings_fmt</source>
        <translation>Its %1 recordings and more will be lost.</translation>
    </message>
    <message id="msg.format_confirm_one_recording">
        <source>msg.format_confirm_one_recording</source>
        <translation>Its one recording will be lost.</translation>
    </message>
    <message id="msg.format_confirm_no_recordings">
        <source>msg.format_confirm_no_recordings</source>
        <translation>It holds no recordings; all else on it will be lost.</translation>
    </message>
    <message id="msg.format_confirm_erase">
        <source>msg.format_confirm_erase</source>
        <translation>Erase</translation>
    </message>
    <message id="msg.settings_kept_fmt">
        <source>msg.settings_kept_fmt</source>
        <translation>Its settings are kept in %1; Restore puts them back once the card is here.</translation>
    </message>
    <message id="msg.settings_restore_hint">
        <source>msg.settings_restore_hint</source>
        <translation>Restore puts them back once the card is here.</translation>
    </message>
    <message id="msg.settings_restored">
        <source>msg.settings_restored</source>
        <translation>The card's settings were put back.</translation>
    </message>
    <message id="menu.library">
        <source>menu.library</source>
        <translation>&amp;Library</translation>
    </message>
    <message id="action.import_card">
        <source>action.import_card</source>
        <translation>&amp;Import Card…</translation>
    </message>
    <message id="action.open_library">
        <source>action.open_library</source>
        <translation>&amp;Open Library</translation>
    </message>
    <message id="action.check_library">
        <source>action.check_library</source>
        <translation>&amp;Check Library</translation>
    </message>
    <message id="action.retention">
        <source>action.retention</source>
        <translation>&amp;Retention…</translation>
    </message>
    <message id="action.library_folder">
        <source>action.library_folder</source>
        <translation>Choose Library &amp;Folder…</translation>
    </message>
    <message id="library.title">
        <source>library.title</source>
        <translation>Library</translation>
    </message>
    <message id="library.cancel">
        <source>library.cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="library.close">
        <source>library.close</source>
        <translation>Close</translation>
    </message>
    <message id="library.progress_fmt">
        <source>library.progress_fmt</source>
        <translation>%1 of %2 recordings, %3 of %4: %5</translation>
    </message>
    <message id="library.importing_fmt">
        <source>library.importing_fmt</source>
        <translation>Importing %1 into the library</translation>
    </message>
    <message id="library.looking">
        <source>library.looking</source>
        <translation>Looking at what the card holds…</translation>
    </message>
    <message id="library.imported_fmt">
        <source>library.imported_fmt</source>
        <translation>%1 recordings imported, %2 already in the library (%3 written).</translation>
    </message>
    <message id="library.beside_fmt">
        <source>library.beside_fmt</source>
        <translation>%1 with the name of another recording but other bytes were kept beside it.</translation>
    </message>
    <message id="library.failed_fmt">
        <source>library.failed_fmt</source>
        <translation>Not imported: %1.</translation>
    </message>
    <message id="library.import_cancelled">
        <source>library.import_cancelled</source>
        <translation>The import was cancelled; importing again finishes it.</translation>
    </message>
    <message id="library.none_yet_fmt">
        <source>library.none_yet_fmt</source>
        <translation>There is no library in %1 yet. Import a card first (File &gt; Import Card…).</translation>
    </message>
    <message id="library.check_clean_fmt">
        <source>library.check_clean_fmt</source>
        <translation>All %1 recordings are whole: their sizes and SHA-256 match the index.</translation>
    </message>
    <message id="library.check_faults_fmt">
        <source>library.check_faults_fmt</source>
        <translation>%1 recordings checked: %2 missing, %3 changed, %4 not in the index.</translation>
    </message>
    <message id="library.missing_fmt">
        <source>library.missing_fmt</source>
        <translation>Missing: %1</translation>
    </message>
    <message id="library.changed_fmt">
        <source>library.changed_fmt</source>
        <translation>Changed: %1</translation>
    </message>
    <message id="library.unindexed_fmt">
        <source>library.unindexed_fmt</source>
        <translation>Not in the index: %1</translation>
    </message>
    <message id="library.check_cancelled">
        <source>library.check_cancelled</source>
        <translation>The check was cancelled.</translation>
    </message>
    <message id="library.import_button">
        <source>library.import_button</source>
        <translation>Import…</translation>
    </message>
    <message id="library.card_offer_fmt">
        <source>library.card_offer_fmt</source>
        <translation>Card %1: %2 recordings not in your library (%3).</translation>
    </message>
    <message id="library.days">
        <source>library.days</source>
        <translation>The days whose drives the map shows</translation>
    </message>
    <message id="library.place_hint">
        <source>library.place_hint</source>
        <translation>Click the map, or drag a box with Shift held: the library&apos;s drives and events there.</translation>
    </message>
    <message id="library.when">
        <source>library.when</source>
        <translation>When</translation>
    </message>
    <message id="library.what">
        <source>library.what</source>
        <translation>What</translation>
    </message>
    <message id="library.searching">
        <source>library.searching</source>
        <translation>Searching the library…</translation>
    </message>
    <message id="library.nothing_here">
        <source>library.nothing_here</source>
        <translation>No drive and no event of the library passes here.</translation>
    </message>
    <message id="library.found_fmt">
        <source>library.found_fmt</source>
        <translation>%1 and %2 here. Double-click one to play it from there.</translation>
    </message>
    <message id="library.drive_fmt">
        <source>library.drive_fmt</source>
        <translation>Drive %1–%2, %3 km</translation>
    </message>
    <message id="library.impact_fmt">
        <source>library.impact_fmt</source>
        <translation>Impact, %1 g</translation>
    </message>
    <message id="library.braking_fmt">
        <source>library.braking_fmt</source>
        <translation>Hard braking, %1 m/s²</translation>
    </message>
    <message id="library.acceleration_fmt">
        <source>library.acceleration_fmt</source>
        <translation>Hard acceleration, %1 m/s²</translation>
    </message>
    <message id="retention.explanation">
        <source>retention.explanation</source>
        <translation>Events and protected recordings are always kept. Loop recordings go oldest first; the list shows what would go before anything is deleted.</translation>
    </message>
    <message id="retention.keep_days">
        <source>retention.keep_days</source>
        <translation>Keep loop recordings of the last</translation>
    </message>
    <message id="retention.days">
        <source>retention.days</source>
        <translation>days</translation>
    </message>
    <message id="retention.max_size">
        <source>retention.max_size</source>
        <translation>Keep the library under</translation>
    </message>
    <message id="retention.show">
        <source>retention.show</source>
        <translation>Show What Goes</translation>
    </message>
    <message id="retention.delete">
        <source>retention.delete</source>
        <translation>Delete Them</translation>
    </message>
    <message id="retention.nothing">
        <source>retention.nothing</source>
        <translation>Nothing needs to go.</translation>
    </message>
    <message id="retention.plan_fmt">
        <source>retention.plan_fmt</source>
        <translation>%1 loop recordings would go, %2 of the library's %3.</translation>
    </message>
    <message id="retention.deleted_fmt">
        <source>retention.deleted_fmt</source>
        <translation>%1 recordings were deleted.</translation>
    </message>
    <message id="library.one_drive">
        <source>library.one_drive</source>
        <translation>1 drive</translation>
    </message>
    <message id="library.drives_fmt">
        <source>library.drives_fmt</source>
        <translation>%1 drives</translation>
    </message>
    <message id="library.one_event">
        <source>library.one_event</source>
        <translation>1 event</translation>
    </message>
    <message id="library.events_fmt">
        <source>library.events_fmt</source>
        <translation>%1 events</translation>
    </message>
    <message id="library.none">
        <source>library.none</source>
        <translation>no</translation>
    </message>
    <message id="action.keep_playing">
        <source>action.keep_playing</source>
        <translation>&amp;Keep What Plays Always</translation>
    </message>
    <message id="library.keep_nothing">
        <source>library.keep_nothing</source>
        <translation>Nothing of the library plays: open the library (Library > Open Library) and play a recording or a drive first.</translation>
    </message>
    <message id="library.kept_drive_fmt">
        <source>library.kept_drive_fmt</source>
        <translation>The drive playing is kept whatever the retention says (its %1 recordings and their pairs).</translation>
    </message>
    <message id="library.kept_recordings_fmt">
        <source>library.kept_recordings_fmt</source>
        <translation>%1 recordings (the one shown and its pair) are kept whatever the retention says.</translation>
    </message>
    <message id="library.choice_fmt">
        <source>library.choice_fmt</source>
        <translation>What should the library take from %1?</translation>
    </message>
    <message id="library.choice_everything">
        <source>library.choice_everything</source>
        <translation>Everything New</translation>
    </message>
    <message id="library.choice_events">
        <source>library.choice_events</source>
        <translation>Only the Events&apos; Drives</translation>
    </message>
    <message id="library.choice_since_last">
        <source>library.choice_since_last</source>
        <translation>Since the Last Import</translation>
    </message>
</context>
</TS>
