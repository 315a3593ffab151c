#!/usr/bin/env bash
# Prints SQL that fills a demo database: four departments, thirty employees, a few receivers and
# business trips, and the day's swipes (on time, late, early, and some not yet in). For today only the
# swipes up to now are written, so none lies in the future; a past day given as DAY gets all of them.
# usage: seed.sh [DAY [HH:MM:SS]]
set -euo pipefail
day=${1:-$(date +%F)}
if [ "$day" = "$(date +%F)" ]; then now=${2:-$(date +%T)}; else now=${2:-23:59:59}; fi

names=(王小东 李明 张伟 刘洋 陈静 杨帆 赵磊 黄丽 周杰 吴敏 徐强 孙悦 马超 朱琳 胡军
       郭芳 何涛 高翔 林雪 罗刚 郑爽 梁平 谢娜 宋佳 唐宁 韩冰 冯涛 曹阳 彭丽 欧阳小东)
depts=("1001|行政部" "1002|财务部" "1003|生产部" "1004|销售部")

echo "begin;"
echo "insert into MH_AttendDept (Dept_Code,Dept_Name,Fact_Number) values ('10','Hemlo软件有限责任公司',0);"
for d in "${depts[@]}"; do
  echo "insert into MH_AttendDept (Dept_Code,Dept_Name,Fact_Number) values ('${d%%|*}','${d#*|}',0);"
done
for i in "${!names[@]}"; do
  n=$((i + 1))
  d=${depts[$((i % 4))]}
  printf "insert into MH_CardReg (Empl_Code,Empl_Name,Card_Code,Dept_Code,Dept_Name,Stop_Flag,sex) values ('%04d','%s','%010d','%s','%s','N','%s');\n" \
    "$n" "${names[$i]}" "$((12344 + n))" "${d%%|*}" "${d#*|}" "$([ $((n % 3)) -eq 0 ] && echo 女 || echo 男)"
done

# swipe NAME-INDEX HH MM SS FLAG CONTENT ADFLAG
swipe() {
  local i=$1 h=$2 m=$3 s=$4 flag=$5 content=$6 ad=$7
  local d=${depts[$((i % 4))]}
  [[ "$(printf '%02d:%02d:%02d' "$((10#$h))" "$((10#$m))" "$((10#$s))")" > "$now" ]] && return 0
  printf "insert into MH_AttendResourceRecord (Empl_Name,Dept_Name,RE_Flag,RE_Content,ADFlag,Brush_Date,Brush_Hour,Brush_Minute,Brush_Second,Card_Cord,Clock_Address) values ('%s','%s','%s','%s','%s','%s %02d:%02d:%02d',%d,%d,%d,'%010d','3');\n" \
    "${names[$i]}" "${d#*|}" "$flag" "$content" "$ad" "$day" "$h" "$m" "$s" "$((10#$h))" "$((10#$m))" "$((10#$s))" "$((12345 + i))"
}
# On time, in the order they arrived.
for i in 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17; do
  swipe "$i" 8 $((5 + i)) $(((i * 7) % 60)) "" "" 上
done
swipe 18 8 47 12 Y 迟到12分钟 上
swipe 19 9 2 40 Y 迟到27分钟 上
swipe 20 9 15 3 Y 迟到40分钟 上
swipe 18 9 30 0 Y 迟到55分钟 上
# Gone early.
swipe 3 16 20 5 Y 早退40分钟 下
swipe 7 16 45 30 Y 早退15分钟 下

echo "insert into MH_EMail (Empl_Name,Dept_Name,Duty,Mobile,EMail) values ('王小东','行政部','经理','13800000001','wang@example.com');"
echo "insert into MH_Evection (Empl_Code,Empl_Name,Card_Code,Start_Date,End_Date,Evection_Reason) values ('0025','唐宁','0000012369','$day 08:00:00','$day 18:00:00','客户拜访');"
echo "commit;"
