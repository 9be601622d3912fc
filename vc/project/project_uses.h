// The dependency graph of an open project and its cache file (".use").
//
// Every open project owns one graph (VcProject::uses). It is made when the
// project opens, with a node for every member, and filled from the cache
// beside the project; after vcDoneUses has freed it, the next call that
// needs it makes it again, empty but for the member nodes. A member's node
// is named by the member's full name; for a project opened through a
// sandbox, the member's file in the sandbox's tree has a node of its own,
// marked as a member node too.
//
// The cache holds one record line per node ("name sum size time
// [revision]", hexadecimal) followed by one "!name time" line per
// dependency; member records come in member order, each followed depth first
// by the nodes it reaches, every node once. Names of member nodes are written
// as the project stores them ("$(projectdir)/src/a.c"), others as absolute
// paths, each part quoted as a member field is when it holds a blank, a tab
// or a double quote.
#pragma once

#include "vc/project/uses_graph.h"

#include <string>
#include <string_view>

namespace vc {

struct VcInstance;
struct VcProject;
struct VcMember;

// The project's graph, made with its member nodes when there is none (and
// with the cache read at the open, the first time after it).
VcUsesGraph& usesOf(VcInstance& inst, VcProject& p);
// Makes the graph when the open left it to be made: for the calls that
// read or change member nodes without making one of their own.
void settleUses(VcInstance& inst, VcProject& p);

// A member's node (created when missing; marked as a member node).
VcUsesNode* memberNode(VcInstance& inst, VcProject& p, VcMember& m);
// The node of the member's file in the working tree of a project opened
// through a sandbox: created when create, else null when missing; the
// member's own node for any other project.
VcUsesNode* treeNode(VcInstance& inst, VcProject& p, VcMember& m, bool create);
// The node a member's dependencies are read from: its tree node when that
// exists and has dependencies, else its own node (null when it has none).
VcUsesNode* dependencyNode(VcInstance& inst, VcProject& p, VcMember& m);

// Takes a member's node out of the graph (the member is being deleted).
void forgetMemberNode(VcProject& p, VcMember& m);

// Takes the working file's present state into the member's node: current
// and recorded values alike, the member's bits VC_MEMBER_STATUS_WORK_MISSING
// and _WORK_UNREADABLE set as the file could or could not be read.
void takePresentState(VcInstance& inst, VcProject& p, VcMember& m);

// The name a node is shown by in messages: a member as the project stores
// it, any other node by its path.
std::string printableName(const VcUsesNode& node);

// The cache file's name: the sandbox file's (for a project opened through a
// sandbox), else the project file's, with ".use" for its extension.
std::string useCacheName(const VcProject& p);
// The name of a member in cache records (directory as written, "/", name;
// each part quoted).
std::string cacheMemberName(const VcMember& m);
// One record line (with its line feed).
std::string cacheRecordLine(const std::string& name, const VcUsesNode& node);

// At the open: reads the cache's text, to be read into the graph when the
// graph is first made (usesOf). 0; a cache that cannot be read leaves the
// graph with its member nodes only.
int loadUses(VcInstance& inst, VcProject& p);
// Reads cache lines into the project's graph: lines that do not fit the
// form are skipped.
void readUsesText(VcInstance& inst, VcProject& p, std::string_view text);
// The cache's text for the project's graph (empty without one).
std::string usesText(VcInstance& inst, VcProject& p);
// Writes the cache when the project has a graph and its cache flag is on.
// 0, or VC_E_USE_CACHE_WRITE (extra error: the system error).
int saveUses(VcInstance& inst, VcProject& p);
// Frees the graph: the members lose their nodes.
void doneUses(VcProject& p);

}  // namespace vc
