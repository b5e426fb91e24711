"""Reading the parts of a Windows PE image a release check needs: machine,
optional-header kind, subsystem, imported DLLs and the resource directory."""

import struct

MACHINE_I386 = 0x014C
MACHINE_AMD64 = 0x8664
PE32_MAGIC = 0x010B
PE32_PLUS_MAGIC = 0x020B
SUBSYSTEM_WINDOWS_GUI = 2
SUBSYSTEM_WINDOWS_CUI = 3
IMPORT_DIRECTORY = 1
RESOURCE_DIRECTORY = 2
RESOURCE_SUBDIRECTORY_FLAG = 0x80000000
RESOURCE_NAME_FLAG = 0x80000000


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe_offset = self._u32(0x3C)
        if data[pe_offset:pe_offset + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        coff = pe_offset + 4
        self.machine, section_count = struct.unpack_from("<HH", data, coff)
        optional_size = self._u16(coff + 16)
        optional = coff + 20
        self.magic = self._u16(optional)
        plus = self.magic == PE32_PLUS_MAGIC
        self.major_os_version, self.minor_os_version = struct.unpack_from("<HH", data, optional + 40)
        self.major_subsystem_version, self.minor_subsystem_version = struct.unpack_from(
            "<HH", data, optional + 48)
        self.subsystem = self._u16(optional + 68)
        directories = optional + (112 if plus else 96)
        directory_count = self._u32(directories - 4)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                            for i in range(directory_count)]
        sections = optional + optional_size
        self.sections = []
        for i in range(section_count):
            name, virtual_size, address, raw_size, raw_pointer = struct.unpack_from(
                "<8sIIII", data, sections + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("ascii", "replace"),
                                  address, max(virtual_size, raw_size), raw_pointer))

    def _u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def _u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def _offset(self, rva):
        for _, address, size, raw_pointer in self.sections:
            if address <= rva < address + size:
                return raw_pointer + rva - address
        raise ValueError("address 0x%x lies in no section" % rva)

    def _c_string(self, rva):
        start = self._offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii", "replace")

    def imported_dlls(self):
        if len(self.directories) <= IMPORT_DIRECTORY or not self.directories[IMPORT_DIRECTORY][0]:
            return []
        descriptor = self._offset(self.directories[IMPORT_DIRECTORY][0])
        names = []
        while True:
            fields = struct.unpack_from("<IIIII", self.data, descriptor)
            if not any(fields):
                return names
            names.append(self._c_string(fields[3]))
            descriptor += 20

    def resources(self):
        """{type: [name, ...]} of the resource directory's first two levels;
        numeric types and names are ints, named ones strings."""
        if len(self.directories) <= RESOURCE_DIRECTORY or not self.directories[RESOURCE_DIRECTORY][0]:
            return {}
        root = self._offset(self.directories[RESOURCE_DIRECTORY][0])
        found = {}
        for type_id, type_entry in self._entries(root, root):
            if type_entry & RESOURCE_SUBDIRECTORY_FLAG:
                subdirectory = root + (type_entry & ~RESOURCE_SUBDIRECTORY_FLAG)
                found[type_id] = [name for name, _ in self._entries(root, subdirectory)]
        return found

    def _entries(self, root, directory):
        named, numbered = struct.unpack_from("<HH", self.data, directory + 12)
        for i in range(named + numbered):
            identifier, target = struct.unpack_from("<II", self.data, directory + 16 + 8 * i)
            if identifier & RESOURCE_NAME_FLAG:
                at = root + (identifier & ~RESOURCE_NAME_FLAG)
                length = self._u16(at)
                identifier = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
            yield identifier, target
