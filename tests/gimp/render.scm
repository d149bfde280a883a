; Non-interactive renders must equal the command-line tool's output on the
; same pixels, byte for byte.

(define (noninteractive settings)
  (lambda (image layer) (render-noninteractive image layer settings)))

; name, layer type, settings
(for-each
 (lambda (case)
   (let ((shape (make-shape 64 48 (cadr case) 0 0 64 48))
         (settings (caddr case)))
     (expect-render (car case) (car shape) (cadr shape) #f settings (noninteractive settings))))
 (list (list "rgb-flat" RGB-IMAGE '(0 1 3 10 7 20))
       (list "rgb-round" RGB-IMAGE '(0 2 3 10 7 20))
       (list "rgb-round2" RGB-IMAGE '(0 3 3 10 7 20))
       (list "rgb-flat-inverted" RGB-IMAGE '(1 1 3 10 7 20))
       (list "rgb-round-inverted" RGB-IMAGE '(1 2 3 10 7 20))
       (list "rgb-round2-inverted" RGB-IMAGE '(1 3 3 10 7 20))
       (list "rgba-flat" RGBA-IMAGE '(0 1 5 4 7 20))
       (list "rgba-round" RGBA-IMAGE '(0 2 3 10 3.5 20))
       (list "rgba-round2" RGBA-IMAGE '(0 3 3 10 7 12))
       (list "rgba-round2-inverted" RGBA-IMAGE '(1 3 3 10 7 20))
       ; INT8 arguments are unsigned: 200 must not arrive as -56.
       (list "int8-unsigned" RGB-IMAGE '(200 1 200 10 7 20))
       ; Depths travel as doubles and are rounded to single precision.
       (list "depth-0.1" RGB-IMAGE '(0 2 3 10 0.1 20))
       (list "depth-0.1-round2" RGB-IMAGE '(0 3 3 10 7 0.1))
       ; Slope types other than 1..3 pass through unchanged.
       (list "slope-7" RGB-IMAGE '(0 7 3 10 7 20))))

; A layer with offsets inside a larger image: the region is in layer
; coordinates.
(let ((shape (make-shape 120 90 RGBA-IMAGE 30 20 64 48)))
  (expect-render "offset-layer" (car shape) (cadr shape) #f '(0 3 3 10 7 20)
                 (noninteractive '(0 3 3 10 7 20))))

; Rectangular selections smaller than the layer: only the selection changes.
(for-each
 (lambda (case)
   (let ((shape (make-shape 120 90 (cadr case) 30 20 64 48)))
     (expect-render (car case) (car shape) (cadr shape) (caddr case) '(0 2 3 10 7 20)
                    (noninteractive '(0 2 3 10 7 20)))))
 (list (list "selection-rgb" RGB-IMAGE '(0 0 40 30))
       (list "selection-rgba" RGBA-IMAGE '(11 7 37 29))
       ; Regions too small for any computed pixel are written back as read.
       (list "selection-two-rows" RGB-IMAGE '(5 20 50 2))
       (list "selection-one-column" RGB-IMAGE '(30 4 1 40))))

; Regions without any edge: a selection wholly inside the ellipse of the
; shape, and a layer that is white everywhere.
(let ((shape (make-shape 120 90 RGB-IMAGE 30 20 64 48)))
  (expect-render "selection-inside-shape" (car shape) (cadr shape) '(18 18 12 12) default-settings
                 (noninteractive default-settings)))
(let* ((shape (make-shape 64 48 RGBA-IMAGE 0 0 64 48))
       (layer (cadr shape)))
  (for-each
   (lambda (settings)
     (gimp-drawable-fill layer FILL-WHITE)
     (expect-render (string-append "white-layer-" (number->string (list-ref settings 1)))
                    (car shape) layer #f settings (noninteractive settings)))
   '((0 1 3 10 7 20) (0 2 3 10 7 20) (0 3 3 10 7 20))))
