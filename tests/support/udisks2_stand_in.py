# SPDX-License-Identifier: GPL-3.0-or-later
'''A stand-in UDisks2 for the tests, as a python-dbusmock template.

It carries the real service's bus name, object paths, interface and property names.
Tests describe the mounted volumes as JSON and hand them over with the mock method
SetVolumes; each volume becomes a block object (Block, Filesystem, and Partition unless
it is a whole-disk medium, Loop for a loop device) and, unless it has none, a drive
object.
'''

import json

import dbus

from dbusmock import MOCK_IFACE, mockobject

BUS_NAME = 'org.freedesktop.UDisks2'
MAIN_OBJ = '/org/freedesktop/UDisks2'
MAIN_IFACE = 'org.freedesktop.UDisks2.Manager'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

BLOCK = 'org.freedesktop.UDisks2.Block'
FILESYSTEM = 'org.freedesktop.UDisks2.Filesystem'
PARTITION = 'org.freedesktop.UDisks2.Partition'
LOOP = 'org.freedesktop.UDisks2.Loop'
DRIVE = 'org.freedesktop.UDisks2.Drive'

# Renaming: fails with the volume's labelError when it has one, else takes the label.
SET_LABEL = '''
if getattr(self, 'label_error', ''):
    raise dbus.exceptions.DBusException(self.label_error, name='org.freedesktop.UDisks2.Error.Failed')
self.props['org.freedesktop.UDisks2.Block']['IdLabel'] = dbus.String(args[0])
'''


def load(mock, _parameters):
    mock.AddProperties(MAIN_IFACE, {'Version': dbus.String('2.9.4')})


def bytestring(text):
    return dbus.Array([dbus.Byte(b) for b in text.encode() + b'\0'], signature='y')


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def SetVolumes(self, text):
    for path in [p for p in mockobject.objects if p.startswith(MAIN_OBJ + '/')]:
        self.RemoveObject(path)
    for v in json.loads(text):
        name = v['name']
        drive = v.get('drive')
        drive_path = '/'
        if drive is not None:
            drive_path = MAIN_OBJ + '/drives/' + drive['id']
            if drive_path not in mockobject.objects and not v.get('driveMissing'):
                self.AddObject(drive_path, DRIVE, {
                    'Model': dbus.String(drive.get('model', '')),
                    'Vendor': dbus.String(drive.get('vendor', '')),
                    'Removable': dbus.Boolean(drive.get('removable', False)),
                    'MediaRemovable': dbus.Boolean(drive.get('mediaRemovable', False)),
                    'ConnectionBus': dbus.String(drive.get('bus', '')),
                    'Optical': dbus.Boolean(drive.get('optical', False)),
                }, [])
        path = MAIN_OBJ + '/block_devices/' + name
        self.AddObject(path, BLOCK, {
            'Device': bytestring(v.get('device', '/dev/' + name)),
            'PreferredDevice': bytestring(v.get('device', '/dev/' + name)),
            'Size': dbus.UInt64(v.get('size', 0)),
            'ReadOnly': dbus.Boolean(v.get('readOnly', False)),
            'IdLabel': dbus.String(v.get('label', '')),
            'IdUsage': dbus.String('filesystem'),
            'IdType': dbus.String('vfat'),
            'Drive': dbus.ObjectPath(drive_path),
            'HintSystem': dbus.Boolean(v.get('system', False)),
        }, [])
        block = mockobject.objects[path]
        block.label_error = v.get('labelError', '')
        block.AddProperties(FILESYSTEM, {
            'MountPoints': dbus.Array([bytestring(m) for m in v.get('mountPoints', [])],
                                      signature='ay'),
        })
        block.AddMethod(FILESYSTEM, 'SetLabel', 'sa{sv}', '', SET_LABEL)
        if v.get('partition', True):
            block.AddProperties(PARTITION, {'Number': dbus.UInt32(1)})
        if v.get('loop', False):
            block.AddProperties(LOOP, {'BackingFile': bytestring('/var/tmp/disk.img')})
