// Security objects (kind 9): a top-level record that ties an absolute path
// (an archive directory or a project file) to the projects whose policies
// govern it. Its Name is the path cut to 55 characters; its lists are
//   lists()[0] = { the full path }  and  lists()[1] = { project names... },
// which is the stored layout "path", an empty text, then the project list.
// Objects are found by the full path, never by the cut name.
#pragma once

#include "kel/kellib/object_record.h"

#include <string>
#include <string_view>

namespace kel {

// The absolute form a security object's path is kept in: 0 or 25.
int securityObjectPath(std::string_view path, std::string& absolute);

// The projects a security object lists.
TextList registeredProjects(const ObjectRecord& so);
// Replaces that list (8 when the record would grow too long).
int setRegisteredProjects(ObjectRecord& so, const TextList& projects);

// Removes the project from the list of every security object (inside the
// caller's change): 0 or the failing code.
int forgetProjectInSecurityObjects(std::string_view project);

}  // namespace kel
