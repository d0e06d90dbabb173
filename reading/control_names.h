#pragma once

#include <string_view>

namespace qingwu {

// The names of the main window's controls; each control carries its name as its object name.
using ControlName = std::string_view;

namespace control {
inline constexpr ControlName 工具条1 = "工具条1";
inline constexpr ControlName 编辑框书名 = "编辑框书名";
inline constexpr ControlName 按钮搜索 = "按钮搜索";
inline constexpr ControlName 组合框1 = "组合框1";
inline constexpr ControlName 分组框我的书架 = "分组框我的书架";
inline constexpr ControlName 超级列表框书架 = "超级列表框书架";
inline constexpr ControlName 按钮加入书架 = "按钮加入书架";
inline constexpr ControlName 按钮载入书签 = "按钮载入书签";
inline constexpr ControlName 按钮删除书签 = "按钮删除书签";
inline constexpr ControlName 按钮关闭 = "按钮关闭";
inline constexpr ControlName 分组框1 = "分组框1";
inline constexpr ControlName 超级列表框章节列表 = "超级列表框章节列表";
inline constexpr ControlName 分隔条1 = "分隔条1";
inline constexpr ControlName 超文本浏览框1 = "超文本浏览框1";
inline constexpr ControlName 分组框设置 = "分组框设置";
inline constexpr ControlName 标签字体 = "标签字体";
inline constexpr ControlName 组合框字体大小 = "组合框字体大小";
inline constexpr ControlName 标签背景颜色 = "标签背景颜色";
inline constexpr ControlName 组合框背景颜色 = "组合框背景颜色";
inline constexpr ControlName 超级列表框页面列表 = "超级列表框页面列表";
inline constexpr ControlName 分组框搜索 = "分组框搜索";
inline constexpr ControlName 超级列表框搜索结果 = "超级列表框搜索结果";
inline constexpr ControlName 按钮确定 = "按钮确定";
inline constexpr ControlName 按钮取消 = "按钮取消";
}  // namespace control

}  // namespace qingwu
