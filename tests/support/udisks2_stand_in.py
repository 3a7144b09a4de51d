# SPDX-License-Identifier: GPL-3.0-or-later
'''A stand-in UDisks2 for the tests, as a python-dbusmock template.

It carries the real service's bus name, object paths, interface and property names.
Tests describe the mounted volumes as JSON and hand them over with the mock method
SetVolumes; each volume becomes a block object (Block, Filesystem, and Partition unless
it is a whole-disk medium, Loop for a loop device) and, unless it has none, a drive
object.

A volume with an "image" (a FAT image file, its "device" then naming that file) can be
unmounted and mounted: the kernel here cannot mount vfat, so Unmount copies the mount
folder into the image with mtools and empties the folder, and Mount copies the image's
files back into the folder ("mountFolder", else its first mount point).
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
OBJECT_MANAGER = 'org.freedesktop.DBus.ObjectManager'

# Renaming: fails with the volume's labelError when it has one, else takes the label.
SET_LABEL = '''
if getattr(self, 'label_error', ''):
    raise dbus.exceptions.DBusException(self.label_error, name='org.freedesktop.UDisks2.Error.Failed')
self.props['org.freedesktop.UDisks2.Block']['IdLabel'] = dbus.String(args[0])
'''


# The real service's errors for a filesystem mounted twice or not at all.
UNMOUNT = '''
import os, shutil, subprocess
fs = self.props['org.freedesktop.UDisks2.Filesystem']
if not fs['MountPoints']:
    raise dbus.exceptions.DBusException('not mounted', name='org.freedesktop.UDisks2.Error.NotMounted')
folder = self.mount_folder
env = dict(os.environ, MTOOLS_SKIP_CHECK='1')
if self.image and os.path.isdir(folder):
    # (No comprehensions: the method's code runs with locals of its own.)
    entries = []
    for entry in sorted(os.listdir(folder)):
        entries.append(os.path.join(folder, entry))
    if entries:
        subprocess.run(['mcopy', '-o', '-s', '-i', self.image] + entries + ['::/'],
                       check=True, env=env, capture_output=True)
    shutil.rmtree(folder)
fs['MountPoints'] = dbus.Array([], signature='ay')
'''

MOUNT = '''
import os, subprocess
if getattr(self, 'mount_error', ''):
    raise dbus.exceptions.DBusException(self.mount_error, name='org.freedesktop.UDisks2.Error.Failed')
fs = self.props['org.freedesktop.UDisks2.Filesystem']
if fs['MountPoints']:
    raise dbus.exceptions.DBusException('already mounted', name='org.freedesktop.UDisks2.Error.AlreadyMounted')
folder = self.mount_folder
env = dict(os.environ, MTOOLS_SKIP_CHECK='1')
os.makedirs(folder, exist_ok=True)
if self.image:
    listing = subprocess.run(['mdir', '-b', '-i', self.image, '::/'], env=env,
                             capture_output=True, text=True)
    if listing.returncode != 0:
        raise dbus.exceptions.DBusException(listing.stderr.strip(), name='org.freedesktop.UDisks2.Error.Failed')
    if listing.stdout.strip():
        subprocess.run(['mcopy', '-o', '-s', '-i', self.image, '::/*', folder],
                       check=True, env=env, capture_output=True)
    # A format gives the card a new label, which the service reports from then on.
    with open(self.image, 'rb') as image:
        boot = image.read(90)
    if boot[82:87] == b'FAT32':
        self.props['org.freedesktop.UDisks2.Block']['IdLabel'] = dbus.String(boot[71:82].decode('ascii', 'replace').rstrip())
        serial = boot[67:71]
        self.props['org.freedesktop.UDisks2.Block']['IdUUID'] = dbus.String('%02X%02X-%02X%02X' % (serial[3], serial[2], serial[1], serial[0]))
fs['MountPoints'] = dbus.Array([dbus.Array(list(map(dbus.Byte, folder.encode() + b'\\0')), signature='y')], signature='ay')
ret = folder
'''


def image_uuid(image):
    '''The filesystem UUID the system's probing gives a FAT image, as UDisks2 reports it.'''
    if not image:
        return ''
    try:
        with open(image, 'rb') as f:
            boot = f.read(90)
    except OSError:
        return ''
    if boot[82:87] == b'FAT32':
        serial = boot[67:71]
    elif boot[54:58] == b'FAT1':
        serial = boot[39:43]
    else:
        return ''
    return '%02X%02X-%02X%02X' % (serial[3], serial[2], serial[1], serial[0])


def load(mock, _parameters):
    mock.AddProperties(MAIN_IFACE, {'Version': dbus.String('2.9.4')})


def bytestring(text):
    return dbus.Array([dbus.Byte(b) for b in text.encode() + b'\0'], signature='y')


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def SetVolumes(self, text):
    # As the real service does, the object manager tells of each object going and coming.
    for path in [p for p in mockobject.objects if p.startswith(MAIN_OBJ + '/')]:
        interfaces = dbus.Array(list(mockobject.objects[path].props.keys()), signature='s')
        self.RemoveObject(path)
        self.EmitSignal(OBJECT_MANAGER, 'InterfacesRemoved', 'oas', [dbus.ObjectPath(path), interfaces])
    added = []
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
                    # A card reader's medium comes out of it; a test says when it does not
                    # (a USB hard disk).
                    'MediaRemovable': dbus.Boolean(drive.get('mediaRemovable',
                                                             drive.get('removable', False))),
                    'Serial': dbus.String(drive.get('serial', drive['id'])),
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
            'IdUUID': dbus.String(v.get('uuid', image_uuid(v.get('image', '')))),
            'IdUsage': dbus.String('filesystem'),
            'IdType': dbus.String('vfat'),
            'Drive': dbus.ObjectPath(drive_path),
            'HintSystem': dbus.Boolean(v.get('system', False)),
        }, [])
        block = mockobject.objects[path]
        block.label_error = v.get('labelError', '')
        block.mount_error = v.get('mountError', '')
        block.AddProperties(FILESYSTEM, {
            'MountPoints': dbus.Array([bytestring(m) for m in v.get('mountPoints', [])],
                                      signature='ay'),
        })
        block.AddMethod(FILESYSTEM, 'SetLabel', 'sa{sv}', '', SET_LABEL)
        block.image = v.get('image', '')
        block.mount_folder = v.get('mountFolder', (v.get('mountPoints') or [''])[0])
        block.AddMethod(FILESYSTEM, 'Unmount', 'a{sv}', '', UNMOUNT)
        block.AddMethod(FILESYSTEM, 'Mount', 'a{sv}', 's', MOUNT)
        if v.get('partition', True):
            block.AddProperties(PARTITION, {'Number': dbus.UInt32(1)})
        if v.get('loop', False):
            block.AddProperties(LOOP, {'BackingFile': bytestring('/var/tmp/disk.img')})
        added.append(path)
    for path in added:
        props = dbus.Dictionary(mockobject.objects[path].props, signature='sa{sv}')
        self.EmitSignal(OBJECT_MANAGER, 'InterfacesAdded', 'oa{sa{sv}}', [dbus.ObjectPath(path), props])
